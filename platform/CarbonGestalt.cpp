#include <CoreServices/Gestalt.h>

namespace {

// the system version this platform reports itself as: 10.6.8
constexpr SInt32 kMajor = 10, kMinor = 6, kBugFix = 8;

}  // namespace

OSErr Gestalt(OSType selector, SInt32* response)
{
  if (!response) return paramErr;
  switch (selector) {
    case gestaltSystemVersion: *response = 0x1000 | kMinor << 4 | kBugFix; return noErr;
    case gestaltSystemVersionMajor: *response = kMajor; return noErr;
    case gestaltSystemVersionMinor: *response = kMinor; return noErr;
    case gestaltSystemVersionBugFix: *response = kBugFix; return noErr;
    default: return gestaltUndefSelectorErr;
  }
}
