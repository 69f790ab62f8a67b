#include <AudioUnit/AUCocoaUIView.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSBundle.h>

#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

// One NSBundle per CFBundle, for the life of the process (as CFBundles live).
struct BundleTable
{
  std::mutex lock;
  std::map<CFBundleRef, NSBundle*> bundles;
  static BundleTable& Get()
  {
    static BundleTable* table = new BundleTable;
    return *table;
  }
};

std::string Text(CFStringRef s)
{
  if (!s) return std::string();
  if (const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8)) return p;
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 1));
  return CFStringGetCString(s, buffer.data(), size, kCFStringEncodingUTF8) ? std::string(buffer.data()) : std::string();
}

// An autoreleased path string for a URL the caller owns; releases the URL. Null for null.
NSString* PathOf(CFURLRef url)
{
  if (!url) return nullptr;
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  CFRelease(url);
  if (!path) return nullptr;
  NSString* s = NSString::stringWithUTF8String(Text(path).c_str());
  CFRelease(path);
  return s;
}

// A new CFString for an NSString (null for null).
CFStringRef MakeCF(const NSString* s)
{
  return s ? CFStringCreateWithCString(kCFAllocatorDefault, s->UTF8String(), kCFStringEncodingUTF8) : nullptr;
}

}  // namespace

NSString* NSString::stringWithCFString(CFStringRef string)
{
  return string ? stringWithUTF8String(Text(string).c_str()) : nullptr;
}

CFStringRef NSString::copyCFString() const
{
  return MakeCF(this);
}

Class NSClassFromString(CFStringRef name)
{
  return name ? NSClassFromCString(Text(name).c_str()) : nullptr;
}

NSBundle* NSBundle::bundleWithCFBundle(CFBundleRef bundle)
{
  if (!bundle) return nullptr;
  BundleTable& t = BundleTable::Get();
  std::lock_guard<std::mutex> hold(t.lock);
  NSBundle*& b = t.bundles[bundle];
  if (!b) b = new (std::nothrow) NSBundle(bundle);
  return b;
}

NSBundle* NSBundle::bundleWithIdentifier(NSString* identifier)
{
  if (!identifier) return nullptr;
  CFStringRef id = MakeCF(identifier);
  if (!id) return nullptr;
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
  CFRelease(id);
  return bundleWithCFBundle(bundle);
}

NSBundle* NSBundle::bundleWithPath(NSString* path)
{
  if (!path || !*path->UTF8String()) return nullptr;
  CFStringRef p = MakeCF(path);
  if (!p) return nullptr;
  CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, p, kCFURLPOSIXPathStyle, true);
  CFRelease(p);
  if (!url) return nullptr;
  CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
  CFRelease(url);
  return bundleWithCFBundle(bundle);
}

NSBundle* NSBundle::mainBundle()
{
  return bundleWithCFBundle(CFBundleGetMainBundle());
}

NSString* NSBundle::bundleIdentifier() const
{
  CFStringRef id = CFBundleGetIdentifier(mBundle);
  return id ? NSString::stringWithCFString(id) : nullptr;
}

NSString* NSBundle::bundlePath() const
{
  return PathOf(CFBundleCopyBundleURL(mBundle));
}

NSString* NSBundle::executablePath() const
{
  return PathOf(CFBundleCopyExecutableURL(mBundle));
}

NSString* NSBundle::resourcePath() const
{
  return PathOf(CFBundleCopyResourcesDirectoryURL(mBundle));
}

NSString* NSBundle::pathForResource_ofType(NSString* name, NSString* type) const
{
  return pathForResource_ofType_inDirectory(name, type, nullptr);
}

NSString* NSBundle::pathForResource_ofType_inDirectory(NSString* name, NSString* type, NSString* subpath) const
{
  if (!name || !*name->UTF8String()) return nullptr;
  CFStringRef n = MakeCF(name);
  CFStringRef t = MakeCF(type);
  CFStringRef d = MakeCF(subpath);
  CFURLRef url = n ? CFBundleCopyResourceURL(mBundle, n, t, d) : nullptr;
  if (n) CFRelease(n);
  if (t) CFRelease(t);
  if (d) CFRelease(d);
  return PathOf(url);
}

BOOL AUCocoaUIBase::conformsToProtocol(const char* protocolName) const
{
  return protocolName && std::string(protocolName) == "AUCocoaUIBase" ? YES : NO;
}

AUCocoaUIBase* AUCocoaUIBaseCreate(Class cls)
{
  if (!cls || !cls->alloc) return nullptr;
  NSObject* object = cls->alloc();
  if (!object) return nullptr;
  if (!object->conformsToProtocol("AUCocoaUIBase")) {
    object->release();
    return nullptr;
  }
  return static_cast<AUCocoaUIBase*>(object);
}
