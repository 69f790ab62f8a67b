#pragma once

// Reference-counted platform values. Every object starts with a count of one; the
// count is atomic, so objects may be retained and released from any thread. Mutable
// containers themselves are not locked: one thread at a time may change one.

#include <MacTypes.h>

typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef unsigned long CFOptionFlags;
typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFBoolean* CFBooleanRef;
typedef const struct __CFData* CFDataRef;
typedef struct __CFData* CFMutableDataRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;
typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;
typedef const struct __CFURL* CFURLRef;
typedef struct __CFBundle* CFBundleRef;
typedef struct __CFError* CFErrorRef;
typedef struct __CFRunLoop* CFRunLoopRef;
typedef CFTypeRef CFPropertyListRef;

struct CFRange {
  CFIndex location;
  CFIndex length;
};
typedef struct CFRange CFRange;

typedef enum { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 } CFComparisonResult;

enum { kCFNotFound = -1 };

#ifdef __cplusplus
extern "C" {
#endif

// Allocators are accepted everywhere and ignored: all memory comes from the C heap.
extern const CFAllocatorRef kCFAllocatorDefault;

static inline CFRange CFRangeMake(CFIndex loc, CFIndex len) {
  CFRange r = {loc, len};
  return r;
}

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);
Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
CFHashCode CFHash(CFTypeRef cf);

#ifdef __cplusplus
}
#endif
