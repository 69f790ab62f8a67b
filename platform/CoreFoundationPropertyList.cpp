// Property lists converted to and from XML text through libplist.

#include "CFRuntime.h"

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>

namespace {

// A libplist node for a platform value; null when the value has no property-list form.
plist_t ToNode(CFTypeRef cf, int depth) {
  if (!cf || depth > 512) return nullptr;
  switch (CFGetTypeID(cf)) {
    case kCFRuntimeStringTypeID:
      return plist_new_string(CFRuntimeStringText(static_cast<CFStringRef>(cf)).c_str());
    case kCFRuntimeBooleanTypeID:
      return plist_new_bool(CFBooleanGetValue(static_cast<CFBooleanRef>(cf)) ? 1 : 0);
    case kCFRuntimeNumberTypeID: {
      CFNumberRef n = static_cast<CFNumberRef>(cf);
      if (n->mIsFloat) return plist_new_real(n->mFloat);
      // Integer nodes of 8 bytes are written with their sign.
      return plist_new_uint(static_cast<uint64_t>(n->mInt));
    }
    case kCFRuntimeDataTypeID: {
      CFDataRef d = static_cast<CFDataRef>(cf);
      return plist_new_data(reinterpret_cast<const char*>(d->mBytes.data()), d->mBytes.size());
    }
    case kCFRuntimeArrayTypeID: {
      plist_t node = plist_new_array();
      CFArrayRef a = static_cast<CFArrayRef>(cf);
      for (const void* v : a->mValues) {
        plist_t item = ToNode(v, depth + 1);
        if (!item) {
          plist_free(node);
          return nullptr;
        }
        plist_array_append_item(node, item);
      }
      return node;
    }
    case kCFRuntimeDictionaryTypeID: {
      plist_t node = plist_new_dict();
      CFDictionaryRef d = static_cast<CFDictionaryRef>(cf);
      for (const auto& e : d->mEntries) {
        plist_t item = CFRuntimeIsType(e.first, kCFRuntimeStringTypeID) ? ToNode(e.second, depth + 1) : nullptr;
        if (!item) {
          plist_free(node);
          return nullptr;
        }
        plist_dict_set_item(node, CFRuntimeStringText(static_cast<CFStringRef>(e.first)).c_str(), item);
      }
      return node;
    }
  }
  return nullptr;
}

CFTypeRef FromNode(plist_t node, int depth) {
  if (!node || depth > 512) return nullptr;
  switch (plist_get_node_type(node)) {
    case PLIST_STRING:
    case PLIST_KEY: {
      char* s = nullptr;
      if (plist_get_node_type(node) == PLIST_STRING)
        plist_get_string_val(node, &s);
      else
        plist_get_key_val(node, &s);
      CFStringRef str = CFRuntimeMakeString(s ? s : "");
      free(s);
      return str;
    }
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return b ? kCFBooleanTrue : kCFBooleanFalse;
    }
    case PLIST_UINT: {
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
      SInt64 i = static_cast<SInt64>(v);
      return CFNumberCreate(nullptr, kCFNumberSInt64Type, &i);
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return CFNumberCreate(nullptr, kCFNumberFloat64Type, &d);
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes), bytes ? static_cast<CFIndex>(length) : 0);
      free(bytes);
      return data;
    }
    case PLIST_ARRAY: {
      CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
      uint32_t n = plist_array_get_size(node);
      for (uint32_t i = 0; i < n; ++i) {
        CFTypeRef v = FromNode(plist_array_get_item(node, i), depth + 1);
        if (!v) {
          CFRelease(a);
          return nullptr;
        }
        CFArrayAppendValue(a, v);
        CFRelease(v);
      }
      return a;
    }
    case PLIST_DICT: {
      CFMutableDictionaryRef d =
          CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (!item) {
          free(key);
          break;
        }
        CFTypeRef v = FromNode(item, depth + 1);
        if (!v || !key) {
          free(key);
          CFRelease(v);
          CFRelease(d);
          free(it);
          return nullptr;
        }
        CFStringRef k = CFRuntimeMakeString(key);
        free(key);
        CFDictionarySetValue(d, k, v);
        CFRelease(k);
        CFRelease(v);
      }
      free(it);
      return d;
    }
    default:
      return nullptr;
  }
}

} // namespace

CFDataRef CFPropertyListCreateData(CFAllocatorRef, CFPropertyListRef propertyList, CFPropertyListFormat format,
                                   CFOptionFlags, CFErrorRef* error) {
  if (error) *error = nullptr;
  if (format != kCFPropertyListXMLFormat_v1_0) return nullptr;
  plist_t node = ToNode(propertyList, 0);
  if (!node) return nullptr;
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(node, &xml, &length);
  plist_free(node);
  if (!xml) return nullptr;
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml), static_cast<CFIndex>(length));
  plist_to_xml_free(xml);
  return data;
}

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef alloc, CFPropertyListRef propertyList) {
  return CFPropertyListCreateData(alloc, propertyList, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
}

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data, CFOptionFlags,
                                               CFPropertyListFormat* format, CFErrorRef* error) {
  if (error) *error = nullptr;
  CFIndex length = CFDataGetLength(data);
  if (length <= 0 || length > 0x7fffffff) return nullptr;
  plist_t node = nullptr;
  plist_from_xml(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), static_cast<uint32_t>(length), &node);
  if (!node) return nullptr;
  CFPropertyListRef result = FromNode(node, 0);
  plist_free(node);
  if (result && format) *format = kCFPropertyListXMLFormat_v1_0;
  return result;
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef alloc, CFDataRef xmlData, CFOptionFlags options,
                                                  CFStringRef* errorString) {
  CFPropertyListRef result = CFPropertyListCreateWithData(alloc, xmlData, options, nullptr, nullptr);
  if (errorString) *errorString = result ? nullptr : CFRuntimeMakeString("not an XML property list");
  return result;
}

Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format) {
  if (format != kCFPropertyListXMLFormat_v1_0) return false;
  plist_t node = ToNode(plist, 0);
  if (!node) return false;
  plist_free(node);
  return true;
}
