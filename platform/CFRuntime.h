#pragma once

// Object model behind the platform's value types: every object derives from
// __CFRuntimeBase, which holds the type ID and the atomic reference count.

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

enum : CFTypeID {
  kCFRuntimeStringTypeID = 7,
  kCFRuntimeNumberTypeID = 22,
  kCFRuntimeBooleanTypeID = 21,
  kCFRuntimeDataTypeID = 20,
  kCFRuntimeDictionaryTypeID = 18,
  kCFRuntimeArrayTypeID = 19,
  kCFRuntimeURLTypeID = 29,
  kCFRuntimeBundleTypeID = 31
};

struct __CFRuntimeBase {
  explicit __CFRuntimeBase(CFTypeID typeID, bool immortal = false) : mTypeID(typeID), mImmortal(immortal) {}
  virtual ~__CFRuntimeBase() = default;
  virtual bool Equal(const __CFRuntimeBase* other) const { return this == other; }
  virtual CFHashCode Hash() const { return reinterpret_cast<CFHashCode>(this); }

  const CFTypeID mTypeID;
  const bool mImmortal;      // constants and bundles are never freed
  std::atomic<long> mRefCount{1};
};

struct __CFString : __CFRuntimeBase {
  explicit __CFString(std::string text, bool immortal = false)
      : __CFRuntimeBase(kCFRuntimeStringTypeID, immortal), mText(std::move(text)) {}
  bool Equal(const __CFRuntimeBase* other) const override;
  CFHashCode Hash() const override;
  std::string mText; // UTF-8
};

struct __CFNumber : __CFRuntimeBase {
  __CFNumber() : __CFRuntimeBase(kCFRuntimeNumberTypeID) {}
  bool Equal(const __CFRuntimeBase* other) const override;
  CFHashCode Hash() const override;
  CFNumberType mType = kCFNumberSInt32Type;
  bool mIsFloat = false;
  SInt64 mInt = 0;
  double mFloat = 0.0;
};

struct __CFBoolean : __CFRuntimeBase {
  explicit __CFBoolean(bool value) : __CFRuntimeBase(kCFRuntimeBooleanTypeID, true), mValue(value) {}
  bool mValue;
};

struct __CFData : __CFRuntimeBase {
  __CFData() : __CFRuntimeBase(kCFRuntimeDataTypeID) {}
  bool Equal(const __CFRuntimeBase* other) const override;
  std::vector<UInt8> mBytes;
};

struct __CFDictionary : __CFRuntimeBase {
  __CFDictionary(const CFDictionaryKeyCallBacks* keys, const CFDictionaryValueCallBacks* values);
  ~__CFDictionary() override;
  bool Equal(const __CFRuntimeBase* other) const override;
  long Find(const void* key) const;
  void Set(const void* key, const void* value);
  void RemoveAt(long index);

  CFDictionaryKeyCallBacks mKeyCallBacks{};
  CFDictionaryValueCallBacks mValueCallBacks{};
  std::vector<std::pair<const void*, const void*>> mEntries;
};

struct __CFArray : __CFRuntimeBase {
  explicit __CFArray(const CFArrayCallBacks* callBacks, CFIndex capacity);
  ~__CFArray() override;
  bool Equal(const __CFRuntimeBase* other) const override;
  const void* Retain(const void* value) const;
  void Release(const void* value) const;

  CFArrayCallBacks mCallBacks{};
  CFIndex mCapacity = 0; // 0: unlimited
  std::vector<const void*> mValues;
};

struct __CFURL : __CFRuntimeBase {
  __CFURL(std::string path, bool isDirectory);
  ~__CFURL() override;
  bool Equal(const __CFRuntimeBase* other) const override;
  std::string mPath;
  bool mIsDirectory;
  CFStringRef mString; // "file://" + path, made with the URL
};

// A new string object of UTF-8 text (no validation).
CFStringRef CFRuntimeMakeString(const std::string& text);
// The UTF-8 text of a string, empty for null.
const std::string& CFRuntimeStringText(CFStringRef str);
bool CFRuntimeIsType(CFTypeRef cf, CFTypeID typeID);
