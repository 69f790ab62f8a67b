#pragma once

// System facts by four-character selector.

#include <MacTypes.h>

enum {
  gestaltSystemVersion = 0x73797376,      // 'sysv': version as BCD, 0x1068 for 10.6.8
  gestaltSystemVersionMajor = 0x73797331, // 'sys1'
  gestaltSystemVersionMinor = 0x73797332, // 'sys2'
  gestaltSystemVersionBugFix = 0x73797333 // 'sys3'
};
enum { gestaltUndefSelectorErr = -5551 };

#ifdef __cplusplus
extern "C" {
#endif

// noErr with the answer, gestaltUndefSelectorErr for an unknown selector, paramErr
// for a null response.
OSErr Gestalt(OSType selector, SInt32* response);

#ifdef __cplusplus
}
#endif
