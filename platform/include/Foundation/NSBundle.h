#pragma once

// Bundles, on top of CFBundle: a bundle is found by its identifier (among the bundles
// the platform knows, such as registered component bundles) or its folder, and lives as
// long as the process.
//
// Threads: any thread.

#include <CoreFoundation/CFBundle.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

class NSBundle : public NSObject
{
public:
  // Not retained for the caller; null when no such bundle is known.
  static NSBundle* bundleWithIdentifier(NSString* identifier);
  static NSBundle* bundleWithPath(NSString* path);
  static NSBundle* mainBundle();
  // The NSBundle of a CFBundle (null for null).
  static NSBundle* bundleWithCFBundle(CFBundleRef bundle);

  // Autoreleased; null when the bundle has none.
  NSString* bundleIdentifier() const;
  NSString* bundlePath() const;
  NSString* executablePath() const;
  NSString* resourcePath() const;
  // The path of the resource "<name>.<type>" in the bundle's resources (type null or
  // empty: the name as it stands), or null when there is no such file.
  NSString* pathForResource_ofType(NSString* name, NSString* type) const;
  NSString* pathForResource_ofType_inDirectory(NSString* name, NSString* type, NSString* subpath) const;

  CFBundleRef CFBundle() const { return mBundle; }

private:
  explicit NSBundle(CFBundleRef bundle) : mBundle(bundle) {}
  CFBundleRef mBundle;
};
