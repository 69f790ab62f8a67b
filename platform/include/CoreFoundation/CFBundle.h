#pragma once

// Bundles: folders laid out as "<Name>.<ext>/Contents/{Info.plist,MacOS/,Resources/}".
// A bundle is created once per location and lives as long as the process; CFRelease of
// a bundle does nothing. Component bundles become known when the Component Manager
// registers them. The main bundle is the bundle that holds the running program, or the
// program's folder when it is not in one.

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>

#ifdef __cplusplus
extern "C" {
#endif

extern const CFStringRef kCFBundleIdentifierKey;
extern const CFStringRef kCFBundleExecutableKey;
extern const CFStringRef kCFBundleNameKey;
extern const CFStringRef kCFBundleVersionKey;
extern const CFStringRef kCFBundleInfoDictionaryVersionKey;

CFTypeID CFBundleGetTypeID(void);
CFBundleRef CFBundleGetMainBundle(void);
// A known bundle with that identifier, or null. Not retained for the caller.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
// The bundle at a folder (created and remembered on first use); null when the folder
// does not exist.
CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
// The Info.plist dictionary (empty when there is none); belongs to the bundle.
CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
// New URLs; the caller releases them.
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
// The resource "<name>.<type>" in Resources/ (or its subDirName), null when missing.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);

#ifdef __cplusplus
}
#endif
