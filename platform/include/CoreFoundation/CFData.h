#pragma once

// Byte strings.

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

CFTypeID CFDataGetTypeID(void);
CFDataRef CFDataCreate(CFAllocatorRef alloc, const UInt8* bytes, CFIndex length);
CFMutableDataRef CFDataCreateMutable(CFAllocatorRef alloc, CFIndex capacity);
CFIndex CFDataGetLength(CFDataRef data);
// The bytes; null for an empty data object.
const UInt8* CFDataGetBytePtr(CFDataRef data);
UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data);
void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer);
void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length);
void CFDataSetLength(CFMutableDataRef data, CFIndex length);

#ifdef __cplusplus
}
#endif
