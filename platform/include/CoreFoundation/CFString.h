#pragma once

// Immutable text held as UTF-8. Lengths are counted in UTF-16 units, as on the platform.

#include <CoreFoundation/CFBase.h>

typedef UInt32 CFStringEncoding;
enum {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100
};

typedef CFOptionFlags CFStringCompareFlags;
enum { kCFCompareCaseInsensitive = 1 };

#ifdef __cplusplus
extern "C" {
#endif

CFTypeID CFStringGetTypeID(void);

// A new string from zero-terminated text; null when the bytes are not valid in the
// encoding (UTF-8; ASCII takes 7-bit text only; MacRoman is read as UTF-8).
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef str);

// A process-lifetime string for a literal; what CFSTR expands to.
CFStringRef __CFStringMakeConstantString(const char* cStr);
#define CFSTR(cStr) __CFStringMakeConstantString("" cStr "")

CFIndex CFStringGetLength(CFStringRef str);
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// Copies the text and a terminator into buffer; false (buffer untouched beyond the
// terminator at 0) when it does not fit or the encoding cannot hold it.
Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The string's own UTF-8 text for UTF-8 or for ASCII-only text, else null.
const char* CFStringGetCStringPtr(CFStringRef str, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);

#ifdef __cplusplus
}
#endif
