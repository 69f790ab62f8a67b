// File URLs and whole-file reads and writes.

#include "CFRuntime.h"

#include <cstdio>
#include <cstring>

__CFURL::__CFURL(std::string path, bool isDirectory)
    : __CFRuntimeBase(kCFRuntimeURLTypeID), mPath(std::move(path)), mIsDirectory(isDirectory),
      mString(CFRuntimeMakeString("file://" + mPath)) {}

__CFURL::~__CFURL() { CFRelease(mString); }

bool __CFURL::Equal(const __CFRuntimeBase* other) const {
  return mPath == static_cast<const __CFURL*>(other)->mPath;
}

namespace {

bool IsURL(CFURLRef url) { return CFRuntimeIsType(url, kCFRuntimeURLTypeID); }

// Removes trailing slashes except a lone root slash.
std::string TrimSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

} // namespace

CFTypeID CFURLGetTypeID(void) { return kCFRuntimeURLTypeID; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory) {
  if (!CFRuntimeIsType(filePath, kCFRuntimeStringTypeID) || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  const std::string& path = CFRuntimeStringText(filePath);
  if (path.empty()) return nullptr;
  return new __CFURL(TrimSlashes(path), isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory) {
  if (!buffer || bufLen <= 0) return nullptr;
  std::string path(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
  path = path.substr(0, strnlen(path.c_str(), path.size()));
  if (path.empty()) return nullptr;
  return new __CFURL(TrimSlashes(path), isDirectory);
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url, CFStringRef pathComponent,
                                               Boolean isDirectory) {
  if (!IsURL(url) || !CFRuntimeIsType(pathComponent, kCFRuntimeStringTypeID)) return nullptr;
  std::string path = url->mPath;
  if (path != "/") path += '/';
  return new __CFURL(TrimSlashes(path + CFRuntimeStringText(pathComponent)), isDirectory);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url) {
  if (!IsURL(url)) return nullptr;
  size_t slash = url->mPath.rfind('/');
  std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : url->mPath.substr(0, slash);
  return new __CFURL(parent, true);
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle) {
  if (!IsURL(url) || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return CFRuntimeMakeString(url->mPath);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
  if (!IsURL(url)) return nullptr;
  size_t slash = url->mPath.rfind('/');
  if (url->mPath == "/") return CFRuntimeMakeString("/");
  return CFRuntimeMakeString(slash == std::string::npos ? url->mPath : url->mPath.substr(slash + 1));
}

CFStringRef CFURLGetString(CFURLRef url) { return IsURL(url) ? url->mString : nullptr; }

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  if (!IsURL(url) || !buffer || maxBufLen <= static_cast<CFIndex>(url->mPath.size())) return false;
  memcpy(buffer, url->mPath.c_str(), url->mPath.size() + 1);
  return true;
}

Boolean CFURLHasDirectoryPath(CFURLRef url) { return IsURL(url) && url->mIsDirectory; }

Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef, CFURLRef url, CFDataRef* resourceData,
                                                 CFDictionaryRef* properties, CFArrayRef, SInt32* errorCode) {
  if (properties) *properties = nullptr;
  if (resourceData) *resourceData = nullptr;
  SInt32 status = 0;
  FILE* f = IsURL(url) ? fopen(url->mPath.c_str(), "rb") : nullptr;
  if (!f) {
    status = -10; // kCFURLResourceNotFoundError
  } else {
    CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
    UInt8 block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) CFDataAppendBytes(data, block, static_cast<CFIndex>(n));
    if (ferror(f)) {
      status = -11; // kCFURLResourceAccessViolationError
      CFRelease(data);
    } else if (resourceData) {
      *resourceData = data;
    } else {
      CFRelease(data);
    }
    fclose(f);
  }
  if (errorCode) *errorCode = status;
  return status == 0;
}

Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite, CFDictionaryRef, SInt32* errorCode) {
  SInt32 status = 0;
  FILE* f = IsURL(url) && CFRuntimeIsType(dataToWrite, kCFRuntimeDataTypeID) ? fopen(url->mPath.c_str(), "wb")
                                                                            : nullptr;
  if (!f) {
    status = -11;
  } else {
    size_t n = static_cast<size_t>(CFDataGetLength(dataToWrite));
    if (n > 0 && fwrite(CFDataGetBytePtr(dataToWrite), 1, n, f) != n) status = -11;
    if (fclose(f) != 0) status = -11;
  }
  if (errorCode) *errorCode = status;
  return status == 0;
}
