#include "PresetFile.h"

#include "HostText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool Fail(std::string* error, const std::string& message)
{
  if (error) *error = message;
  return false;
}

// The number under a key as 32 bits (codes above 0x7FFFFFFF are stored negative).
bool GetNumber(CFDictionaryRef dict, const char* key, SInt32* value, std::string* error)
{
  CFStringRef keyString = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
  const void* found = CFDictionaryGetValue(dict, keyString);
  CFRelease(keyString);
  if (!found) return Fail(error, std::string("no \"") + key + "\" entry");
  if (CFGetTypeID(found) != CFNumberGetTypeID()) return Fail(error, std::string("\"") + key + "\" is not a number");
  SInt64 wide = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(found), kCFNumberSInt64Type, &wide);
  if (wide < -2147483648LL || wide > 4294967295LL) {
    return Fail(error, std::string("\"") + key + "\" is out of range");
  }
  *value = static_cast<SInt32>(static_cast<UInt32>(wide));
  return true;
}

}  // namespace

bool SummarizeClassInfo(CFPropertyListRef classInfo, ClassInfoSummary* summary, std::string* error)
{
  if (!classInfo || CFGetTypeID(classInfo) != CFDictionaryGetTypeID()) {
    return Fail(error, "not a class-info dictionary");
  }
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(classInfo);
  SInt32 type = 0, subtype = 0, manufacturer = 0, version = 0;
  if (!GetNumber(dict, "version", &version, error) || !GetNumber(dict, "type", &type, error) ||
      !GetNumber(dict, "subtype", &subtype, error) || !GetNumber(dict, "manufacturer", &manufacturer, error)) {
    return false;
  }
  const void* name = CFDictionaryGetValue(dict, CFSTR("name"));
  if (!name) return Fail(error, "no \"name\" entry");
  if (CFGetTypeID(name) != CFStringGetTypeID()) return Fail(error, "\"name\" is not a string");
  const void* data = CFDictionaryGetValue(dict, CFSTR("data"));
  if (data && CFGetTypeID(data) != CFDataGetTypeID()) return Fail(error, "\"data\" is not data");
  summary->type = static_cast<OSType>(type);
  summary->subtype = static_cast<OSType>(subtype);
  summary->manufacturer = static_cast<OSType>(manufacturer);
  summary->version = version;
  summary->name = StringFromCF(static_cast<CFStringRef>(name));
  summary->dataBytes = data ? CFDataGetLength(static_cast<CFDataRef>(data)) : -1;
  return true;
}

CFPropertyListRef CopyClassInfoWithName(CFPropertyListRef classInfo, const std::string& name)
{
  if (!classInfo || CFGetTypeID(classInfo) != CFDictionaryGetTypeID()) return nullptr;
  CFStringRef string = CreateCFString(name);
  if (!string) return nullptr;
  CFMutableDictionaryRef copy =
      CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, static_cast<CFDictionaryRef>(classInfo));
  if (copy) CFDictionarySetValue(copy, CFSTR("name"), string);
  CFRelease(string);
  return copy;
}

bool WritePresetFile(const std::string& path, CFPropertyListRef classInfo, std::string* error)
{
  CFDataRef xml = CFPropertyListCreateData(kCFAllocatorDefault, classInfo, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  if (!xml) return Fail(error, path + ": the state cannot be written as a property list");
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) {
    CFRelease(xml);
    return Fail(error, path + ": " + strerror(errno));
  }
  const size_t length = static_cast<size_t>(CFDataGetLength(xml));
  const bool written = length == 0 || fwrite(CFDataGetBytePtr(xml), 1, length, f) == length;
  const bool closed = fclose(f) == 0;
  CFRelease(xml);
  if (!written || !closed) return Fail(error, path + ": write error");
  return true;
}

CFPropertyListRef ReadPresetFile(const std::string& path, std::string* error)
{
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    Fail(error, path + ": " + strerror(errno));
    return nullptr;
  }
  std::vector<UInt8> bytes;
  UInt8 buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool readError = ferror(f) != 0;
  fclose(f);
  if (readError) {
    Fail(error, path + ": read error");
    return nullptr;
  }
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes.data(), static_cast<CFIndex>(bytes.size()));
  CFPropertyListRef plist = data ? CFPropertyListCreateWithData(kCFAllocatorDefault, data,
                                                                kCFPropertyListMutableContainers, nullptr, nullptr)
                                 : nullptr;
  if (data) CFRelease(data);
  if (!plist) {
    Fail(error, path + ": not a property list");
    return nullptr;
  }
  ClassInfoSummary summary;
  std::string reason;
  if (!SummarizeClassInfo(plist, &summary, &reason)) {
    CFRelease(plist);
    Fail(error, path + ": not an audio unit preset: " + reason);
    return nullptr;
  }
  return plist;
}
