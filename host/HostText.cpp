#include "HostText.h"

#include <AudioUnit/AudioUnit.h>

#include <cstdio>
#include <vector>

std::string FourCCToString(OSType code)
{
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(code >> shift);
    if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\x%02X", c);
      text += escaped;
    }
  }
  return text;
}

bool StringToFourCC(const std::string& text, OSType* code)
{
  if (text.size() != 4) return false;
  OSType value = 0;
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c >= 0x7F) return false;
    value = value << 8 | c;
  }
  *code = value;
  return true;
}

std::string StatusText(OSStatus status)
{
  const char* meaning = nullptr;
  switch (status) {
    case noErr: meaning = "no error"; break;
    case paramErr: meaning = "bad argument"; break;
    case memFullErr: meaning = "out of memory"; break;
    case invalidComponentID: meaning = "invalid component"; break;
    case badComponentInstance: meaning = "bad component instance"; break;
    case badComponentSelector: meaning = "request not supported"; break;
    case kAudioUnitErr_InvalidProperty: meaning = "invalid property"; break;
    case kAudioUnitErr_InvalidParameter: meaning = "invalid parameter"; break;
    case kAudioUnitErr_InvalidElement: meaning = "invalid element"; break;
    case kAudioUnitErr_NoConnection: meaning = "no connection"; break;
    case kAudioUnitErr_FailedInitialization: meaning = "failed initialization"; break;
    case kAudioUnitErr_TooManyFramesToProcess: meaning = "too many frames to process"; break;
    case kAudioUnitErr_InvalidFile: meaning = "invalid file"; break;
    case kAudioUnitErr_FormatNotSupported: meaning = "format not supported"; break;
    case kAudioUnitErr_Uninitialized: meaning = "not initialized"; break;
    case kAudioUnitErr_InvalidScope: meaning = "invalid scope"; break;
    case kAudioUnitErr_PropertyNotWritable: meaning = "property not writable"; break;
    case kAudioUnitErr_CannotDoInCurrentContext: meaning = "cannot do in current context"; break;
    case kAudioUnitErr_InvalidPropertyValue: meaning = "invalid property value"; break;
    case kAudioUnitErr_PropertyNotInUse: meaning = "property not in use"; break;
    case kAudioUnitErr_Initialized: meaning = "already initialized"; break;
    case kAudioUnitErr_InvalidOfflineRender: meaning = "invalid offline render"; break;
    case kAudioUnitErr_Unauthorized: meaning = "unauthorized"; break;
    default: break;
  }
  std::string text = std::to_string(static_cast<long>(status));
  if (meaning) text += std::string(" (") + meaning + ")";
  return text;
}

std::string StringFromCF(CFStringRef string)
{
  if (!string) return std::string();
  if (const char* direct = CFStringGetCStringPtr(string, kCFStringEncodingUTF8)) return direct;
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 1));
  if (!CFStringGetCString(string, buffer.data(), static_cast<CFIndex>(buffer.size()), kCFStringEncodingUTF8)) {
    return std::string();
  }
  return buffer.data();
}

CFStringRef CreateCFString(const std::string& text)
{
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                                 static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false);
}
