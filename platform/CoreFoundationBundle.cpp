// Bundles: folders with Contents/Info.plist, Contents/MacOS/ and Contents/Resources/.

#include "CFRuntime.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>

struct __CFBundle : __CFRuntimeBase {
  explicit __CFBundle(std::string path) : __CFRuntimeBase(kCFRuntimeBundleTypeID, true), mPath(std::move(path)) {}
  std::string mPath;               // absolute path of the bundle folder
  CFDictionaryRef mInfo = nullptr; // Info.plist, empty dictionary when there is none
};

const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");

namespace {

std::mutex sBundleMutex;
std::map<std::string, __CFBundle*>& Bundles() {
  static auto* bundles = new std::map<std::string, __CFBundle*>();
  return *bundles;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

CFDictionaryRef ReadInfoPlist(const std::string& bundlePath) {
  CFDictionaryRef info = nullptr;
  CFStringRef path = CFRuntimeMakeString(bundlePath + "/Contents/Info.plist");
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, false);
  CFDataRef data = nullptr;
  if (CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, nullptr)) {
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    if (CFGetTypeID(plist) == CFDictionaryGetTypeID())
      info = static_cast<CFDictionaryRef>(plist);
    else
      CFRelease(plist);
    CFRelease(data);
  }
  CFRelease(url);
  CFRelease(path);
  if (!info)
    info = CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                              &kCFTypeDictionaryValueCallBacks);
  return info;
}

// The bundle at an absolute folder path, created on first use; null when missing.
CFBundleRef BundleAtPath(const std::string& rawPath) {
  char resolved[PATH_MAX];
  if (!realpath(rawPath.c_str(), resolved) || !IsDirectory(resolved)) return nullptr;
  std::string path(resolved);
  std::lock_guard<std::mutex> lock(sBundleMutex);
  auto it = Bundles().find(path);
  if (it != Bundles().end()) return it->second;
  __CFBundle* bundle = new __CFBundle(path);
  bundle->mInfo = ReadInfoPlist(path);
  Bundles().emplace(path, bundle);
  return bundle;
}

CFURLRef MakeURL(const std::string& path, bool isDirectory) {
  CFStringRef s = CFRuntimeMakeString(path);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, s, kCFURLPOSIXPathStyle, isDirectory);
  CFRelease(s);
  return url;
}

bool IsBundle(CFBundleRef bundle) { return CFRuntimeIsType(bundle, kCFRuntimeBundleTypeID); }

} // namespace

CFTypeID CFBundleGetTypeID(void) { return kCFRuntimeBundleTypeID; }

CFBundleRef CFBundleGetMainBundle(void) {
  static CFBundleRef main = [] {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return static_cast<CFBundleRef>(nullptr);
    exe[n] = 0;
    std::string dir(exe);
    dir = dir.substr(0, dir.rfind('/'));
    // A program inside "<Bundle>/Contents/MacOS/" belongs to <Bundle>.
    const std::string macos = "/Contents/MacOS";
    if (dir.size() > macos.size() && dir.compare(dir.size() - macos.size(), macos.size(), macos) == 0)
      dir = dir.substr(0, dir.size() - macos.size());
    return BundleAtPath(dir);
  }();
  return main;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
  if (!CFRuntimeIsType(bundleID, kCFRuntimeStringTypeID)) return nullptr;
  std::lock_guard<std::mutex> lock(sBundleMutex);
  for (const auto& entry : Bundles()) {
    CFTypeRef id = CFDictionaryGetValue(entry.second->mInfo, kCFBundleIdentifierKey);
    if (CFEqual(id, bundleID)) return entry.second;
  }
  return nullptr;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  if (!CFRuntimeIsType(bundleURL, kCFRuntimeURLTypeID)) return nullptr;
  return BundleAtPath(bundleURL->mPath);
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) { return IsBundle(bundle) ? bundle->mInfo : nullptr; }

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  return IsBundle(bundle) ? CFDictionaryGetValue(bundle->mInfo, key) : nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  CFTypeRef id = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleIdentifierKey);
  return CFGetTypeID(id) == CFStringGetTypeID() ? static_cast<CFStringRef>(id) : nullptr;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) { return IsBundle(bundle) ? MakeURL(bundle->mPath, true) : nullptr; }

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
  CFTypeRef exe = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleExecutableKey);
  if (CFGetTypeID(exe) != CFStringGetTypeID()) return nullptr;
  std::string path = bundle->mPath + "/Contents/MacOS/" + CFRuntimeStringText(static_cast<CFStringRef>(exe));
  return IsFile(path) ? MakeURL(path, false) : nullptr;
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
  return IsBundle(bundle) ? MakeURL(bundle->mPath + "/Contents/Resources", true) : nullptr;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName) {
  if (!IsBundle(bundle) || !CFRuntimeIsType(resourceName, kCFRuntimeStringTypeID)) return nullptr;
  std::string name = CFRuntimeStringText(resourceName);
  const std::string& type = CFRuntimeStringText(resourceType);
  if (!type.empty()) name += (type[0] == '.' ? "" : ".") + type;
  std::string dir = bundle->mPath + "/Contents/Resources";
  const std::string& sub = CFRuntimeStringText(subDirName);
  if (!sub.empty()) dir += "/" + sub;
  if (name.empty() || name.find("..") != std::string::npos) return nullptr;
  std::string path = dir + "/" + name;
  return IsFile(path) ? MakeURL(path, false) : nullptr;
}
