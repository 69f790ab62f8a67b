// The platform's reference-counted value types: strings, numbers, Booleans, data,
// dictionaries and arrays.

#include "CFRuntime.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>

const CFAllocatorRef kCFAllocatorDefault = nullptr;

namespace {

const __CFRuntimeBase* Base(CFTypeRef cf) { return static_cast<const __CFRuntimeBase*>(cf); }

// Length of a valid UTF-8 sequence starting at p (0 when invalid).
size_t Utf8SequenceLength(const unsigned char* p, size_t remaining) {
  unsigned char c = p[0];
  size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  if (n == 0 || n > remaining || (n == 2 && c < 0xC2)) return 0;
  for (size_t i = 1; i < n; ++i)
    if ((p[i] & 0xC0) != 0x80) return 0;
  return n;
}

bool ValidText(const unsigned char* p, size_t n, CFStringEncoding encoding) {
  for (size_t i = 0; i < n;) {
    if (encoding == kCFStringEncodingASCII) {
      if (p[i] >= 0x80) return false;
      ++i;
      continue;
    }
    size_t len = Utf8SequenceLength(p + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

bool KnownEncoding(CFStringEncoding encoding) {
  return encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingASCII ||
         encoding == kCFStringEncodingMacRoman;
}

const void* TypeRetain(CFAllocatorRef, const void* value) { return CFRetain(value); }
void TypeRelease(CFAllocatorRef, const void* value) { CFRelease(value); }
Boolean TypeEqual(const void* a, const void* b) { return CFEqual(a, b); }
CFHashCode TypeHash(const void* value) { return CFHash(value); }
const void* StringCopy(CFAllocatorRef, const void* value) {
  return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(value));
}

} // namespace

// ---- base ----

bool CFRuntimeIsType(CFTypeRef cf, CFTypeID typeID) { return cf && Base(cf)->mTypeID == typeID; }

CFTypeRef CFRetain(CFTypeRef cf) {
  if (!cf) return nullptr;
  const __CFRuntimeBase* b = Base(cf);
  if (!b->mImmortal) const_cast<__CFRuntimeBase*>(b)->mRefCount.fetch_add(1, std::memory_order_relaxed);
  return cf;
}

void CFRelease(CFTypeRef cf) {
  if (!cf) return;
  __CFRuntimeBase* b = const_cast<__CFRuntimeBase*>(Base(cf));
  if (b->mImmortal) return;
  if (b->mRefCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete b;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
  if (!cf) return 0;
  const __CFRuntimeBase* b = Base(cf);
  return b->mImmortal ? std::numeric_limits<CFIndex>::max() : b->mRefCount.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf ? Base(cf)->mTypeID : 0; }

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
  if (cf1 == cf2) return true;
  if (!cf1 || !cf2 || Base(cf1)->mTypeID != Base(cf2)->mTypeID) return false;
  return Base(cf1)->Equal(Base(cf2));
}

CFHashCode CFHash(CFTypeRef cf) { return cf ? Base(cf)->Hash() : 0; }

// ---- strings ----

bool __CFString::Equal(const __CFRuntimeBase* other) const {
  return mText == static_cast<const __CFString*>(other)->mText;
}

CFHashCode __CFString::Hash() const { return std::hash<std::string>()(mText); }

CFStringRef CFRuntimeMakeString(const std::string& text) { return new __CFString(text); }

const std::string& CFRuntimeStringText(CFStringRef str) {
  static const std::string empty;
  return CFRuntimeIsType(str, kCFRuntimeStringTypeID) ? str->mText : empty;
}

CFTypeID CFStringGetTypeID(void) { return kCFRuntimeStringTypeID; }

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (!cStr) return nullptr;
  return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(cStr), static_cast<CFIndex>(strlen(cStr)),
                                 encoding, false);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean) {
  if ((!bytes && numBytes > 0) || numBytes < 0 || !KnownEncoding(encoding)) return nullptr;
  if (!ValidText(bytes, static_cast<size_t>(numBytes), encoding)) return nullptr;
  return new __CFString(std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(numBytes)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef str) {
  if (!CFRuntimeIsType(str, kCFRuntimeStringTypeID)) return nullptr;
  return new __CFString(str->mText);
}

CFStringRef __CFStringMakeConstantString(const char* cStr) {
  static std::mutex mutex;
  static auto* table = new std::unordered_map<std::string, CFStringRef>();
  std::lock_guard<std::mutex> lock(mutex);
  auto it = table->find(cStr);
  if (it != table->end()) return it->second;
  CFStringRef s = new __CFString(cStr, true);
  table->emplace(cStr, s);
  return s;
}

CFIndex CFStringGetLength(CFStringRef str) {
  const std::string& t = CFRuntimeStringText(str);
  CFIndex units = 0;
  for (size_t i = 0; i < t.size();) {
    size_t len = Utf8SequenceLength(reinterpret_cast<const unsigned char*>(t.data()) + i, t.size() - i);
    if (len == 0) len = 1;
    units += len == 4 ? 2 : 1; // characters beyond 16 bits take a surrogate pair
    i += len;
  }
  return units;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (length < 0) return kCFNotFound;
  if (encoding == kCFStringEncodingASCII) return length;
  if (length > std::numeric_limits<CFIndex>::max() / 3) return kCFNotFound;
  return length * 3; // one UTF-16 unit needs at most 3 bytes of UTF-8
}

Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (!CFRuntimeIsType(str, kCFRuntimeStringTypeID) || !buffer || bufferSize <= 0 || !KnownEncoding(encoding))
    return false;
  const std::string& t = str->mText;
  if (static_cast<CFIndex>(t.size()) >= bufferSize ||
      !ValidText(reinterpret_cast<const unsigned char*>(t.data()), t.size(), encoding)) {
    buffer[0] = 0;
    return false;
  }
  memcpy(buffer, t.c_str(), t.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef str, CFStringEncoding encoding) {
  if (!CFRuntimeIsType(str, kCFRuntimeStringTypeID) || !KnownEncoding(encoding)) return nullptr;
  const std::string& t = str->mText;
  if (!ValidText(reinterpret_cast<const unsigned char*>(t.data()), t.size(), encoding)) return nullptr;
  return t.c_str();
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options) {
  std::string x = CFRuntimeStringText(a), y = CFRuntimeStringText(b);
  if (options & kCFCompareCaseInsensitive) {
    for (char& c : x) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (char& c : y) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  }
  int r = x.compare(y);
  return r < 0 ? kCFCompareLessThan : r > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

// ---- Booleans and numbers ----

static const __CFBoolean sTrue(true), sFalse(false);
const CFBooleanRef kCFBooleanTrue = &sTrue;
const CFBooleanRef kCFBooleanFalse = &sFalse;

CFTypeID CFBooleanGetTypeID(void) { return kCFRuntimeBooleanTypeID; }
Boolean CFBooleanGetValue(CFBooleanRef boolean) {
  return CFRuntimeIsType(boolean, kCFRuntimeBooleanTypeID) && boolean->mValue;
}

namespace {

bool IsFloatType(CFNumberType t) {
  return t == kCFNumberFloat32Type || t == kCFNumberFloat64Type || t == kCFNumberFloatType ||
         t == kCFNumberDoubleType || t == kCFNumberCGFloatType;
}

// Size in bytes of a number type's value; 0 for an unknown type.
size_t NumberSize(CFNumberType t) {
  switch (t) {
    case kCFNumberSInt8Type: case kCFNumberCharType: return 1;
    case kCFNumberSInt16Type: case kCFNumberShortType: return 2;
    case kCFNumberSInt32Type: case kCFNumberIntType: case kCFNumberFloat32Type: case kCFNumberFloatType: return 4;
    case kCFNumberSInt64Type: case kCFNumberLongLongType: case kCFNumberFloat64Type: case kCFNumberDoubleType:
    case kCFNumberCGFloatType: return 8;
    case kCFNumberLongType: case kCFNumberCFIndexType: case kCFNumberNSIntegerType: return sizeof(long);
  }
  return 0;
}

template <typename T>
bool StoreInt(SInt64 v, void* out) {
  T t = static_cast<T>(v);
  memcpy(out, &t, sizeof t);
  return static_cast<SInt64>(t) == v;
}

} // namespace

bool __CFNumber::Equal(const __CFRuntimeBase* other) const {
  return CFNumberCompare(this, static_cast<const __CFNumber*>(other), nullptr) == kCFCompareEqualTo;
}

CFHashCode __CFNumber::Hash() const {
  return mIsFloat ? std::hash<double>()(mFloat) : std::hash<SInt64>()(mInt);
}

CFTypeID CFNumberGetTypeID(void) { return kCFRuntimeNumberTypeID; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr) {
  size_t size = NumberSize(theType);
  if (!valuePtr || size == 0) return nullptr;
  __CFNumber* n = new __CFNumber;
  n->mType = theType;
  n->mIsFloat = IsFloatType(theType);
  if (n->mIsFloat) {
    if (size == 4) {
      float f;
      memcpy(&f, valuePtr, 4);
      n->mFloat = f;
    } else {
      memcpy(&n->mFloat, valuePtr, 8);
    }
  } else if (size == 1) {
    n->mInt = *static_cast<const SInt8*>(valuePtr);
  } else if (size == 2) {
    SInt16 v;
    memcpy(&v, valuePtr, 2);
    n->mInt = v;
  } else if (size == 4) {
    SInt32 v;
    memcpy(&v, valuePtr, 4);
    n->mInt = v;
  } else {
    memcpy(&n->mInt, valuePtr, 8);
  }
  return n;
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  return CFRuntimeIsType(number, kCFRuntimeNumberTypeID) ? number->mType : kCFNumberSInt32Type;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  return CFRuntimeIsType(number, kCFRuntimeNumberTypeID) && number->mIsFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
  size_t size = NumberSize(theType);
  if (!CFRuntimeIsType(number, kCFRuntimeNumberTypeID) || !valuePtr || size == 0) return false;
  if (IsFloatType(theType)) {
    double d = number->mIsFloat ? number->mFloat : static_cast<double>(number->mInt);
    if (size == 4) {
      float f = static_cast<float>(d);
      memcpy(valuePtr, &f, 4);
      return std::isnan(d) || static_cast<double>(f) == d;
    }
    memcpy(valuePtr, &d, 8);
    // Exact when the double converts back to the same integer (2^63 itself does not fit).
    return number->mIsFloat || (d < 9.2233720368547758e18 && static_cast<SInt64>(d) == number->mInt);
  }
  SInt64 v;
  bool exact = true;
  if (number->mIsFloat) {
    double d = number->mFloat;
    if (std::isnan(d)) {
      v = 0;
      exact = false;
    } else if (d >= 9.2233720368547758e18) {
      v = std::numeric_limits<SInt64>::max();
      exact = false;
    } else if (d < -9.2233720368547758e18) {
      v = std::numeric_limits<SInt64>::min();
      exact = false;
    } else {
      v = static_cast<SInt64>(d); // toward zero
      exact = static_cast<double>(v) == d;
    }
  } else {
    v = number->mInt;
  }
  bool fits = size == 1 ? StoreInt<SInt8>(v, valuePtr)
            : size == 2 ? StoreInt<SInt16>(v, valuePtr)
            : size == 4 ? StoreInt<SInt32>(v, valuePtr)
                        : StoreInt<SInt64>(v, valuePtr);
  return fits && exact;
}

CFComparisonResult CFNumberCompare(CFNumberRef a, CFNumberRef b, void*) {
  if (!CFRuntimeIsType(a, kCFRuntimeNumberTypeID) || !CFRuntimeIsType(b, kCFRuntimeNumberTypeID))
    return kCFCompareEqualTo;
  if (!a->mIsFloat && !b->mIsFloat)
    return a->mInt < b->mInt ? kCFCompareLessThan : a->mInt > b->mInt ? kCFCompareGreaterThan : kCFCompareEqualTo;
  double x = a->mIsFloat ? a->mFloat : static_cast<double>(a->mInt);
  double y = b->mIsFloat ? b->mFloat : static_cast<double>(b->mInt);
  return x < y ? kCFCompareLessThan : x > y ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

// ---- data ----

bool __CFData::Equal(const __CFRuntimeBase* other) const {
  return mBytes == static_cast<const __CFData*>(other)->mBytes;
}

CFTypeID CFDataGetTypeID(void) { return kCFRuntimeDataTypeID; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  __CFData* d = new __CFData;
  if (length > 0) d->mBytes.assign(bytes, bytes + length);
  return d;
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity) {
  __CFData* d = new __CFData;
  if (capacity > 0) d->mBytes.reserve(static_cast<size_t>(capacity));
  return d;
}

CFIndex CFDataGetLength(CFDataRef data) {
  return CFRuntimeIsType(data, kCFRuntimeDataTypeID) ? static_cast<CFIndex>(data->mBytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data) {
  if (!CFRuntimeIsType(data, kCFRuntimeDataTypeID) || data->mBytes.empty()) return nullptr;
  return data->mBytes.data();
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data) {
  if (!CFRuntimeIsType(data, kCFRuntimeDataTypeID) || data->mBytes.empty()) return nullptr;
  return data->mBytes.data();
}

void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer) {
  if (!CFRuntimeIsType(data, kCFRuntimeDataTypeID) || !buffer || range.location < 0 || range.length <= 0) return;
  CFIndex size = static_cast<CFIndex>(data->mBytes.size());
  if (range.location > size || range.length > size - range.location) return;
  memcpy(buffer, data->mBytes.data() + range.location, static_cast<size_t>(range.length));
}

void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length) {
  if (!CFRuntimeIsType(data, kCFRuntimeDataTypeID) || !bytes || length <= 0) return;
  data->mBytes.insert(data->mBytes.end(), bytes, bytes + length);
}

void CFDataSetLength(CFMutableDataRef data, CFIndex length) {
  if (CFRuntimeIsType(data, kCFRuntimeDataTypeID) && length >= 0) data->mBytes.resize(static_cast<size_t>(length), 0);
}

// ---- dictionaries ----

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0, TypeRetain, TypeRelease, nullptr, TypeEqual,
                                                                TypeHash};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {0, StringCopy, TypeRelease, nullptr,
                                                                      TypeEqual, TypeHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, TypeRetain, TypeRelease, nullptr, TypeEqual};

__CFDictionary::__CFDictionary(const CFDictionaryKeyCallBacks* keys, const CFDictionaryValueCallBacks* values)
    : __CFRuntimeBase(kCFRuntimeDictionaryTypeID) {
  if (keys) mKeyCallBacks = *keys;
  if (values) mValueCallBacks = *values;
}

__CFDictionary::~__CFDictionary() {
  for (long i = static_cast<long>(mEntries.size()) - 1; i >= 0; --i) RemoveAt(i);
}

long __CFDictionary::Find(const void* key) const {
  for (size_t i = 0; i < mEntries.size(); ++i) {
    const void* k = mEntries[i].first;
    if (k == key || (mKeyCallBacks.equal && mKeyCallBacks.equal(k, key))) return static_cast<long>(i);
  }
  return -1;
}

void __CFDictionary::Set(const void* key, const void* value) {
  if (mValueCallBacks.retain) value = mValueCallBacks.retain(nullptr, value);
  long i = Find(key);
  if (i >= 0) {
    const void* old = mEntries[i].second;
    mEntries[i].second = value;
    if (mValueCallBacks.release) mValueCallBacks.release(nullptr, old);
    return;
  }
  if (mKeyCallBacks.retain) key = mKeyCallBacks.retain(nullptr, key);
  mEntries.emplace_back(key, value);
}

void __CFDictionary::RemoveAt(long index) {
  std::pair<const void*, const void*> e = mEntries[index];
  mEntries.erase(mEntries.begin() + index);
  if (mKeyCallBacks.release) mKeyCallBacks.release(nullptr, e.first);
  if (mValueCallBacks.release) mValueCallBacks.release(nullptr, e.second);
}

bool __CFDictionary::Equal(const __CFRuntimeBase* other) const {
  const __CFDictionary* d = static_cast<const __CFDictionary*>(other);
  if (d->mEntries.size() != mEntries.size()) return false;
  for (const auto& e : mEntries) {
    long i = d->Find(e.first);
    if (i < 0) return false;
    const void* v = d->mEntries[i].second;
    if (v != e.second && !(mValueCallBacks.equal && mValueCallBacks.equal(e.second, v))) return false;
  }
  return true;
}

CFTypeID CFDictionaryGetTypeID(void) { return kCFRuntimeDictionaryTypeID; }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (numValues < 0 || (numValues > 0 && (!keys || !values))) return nullptr;
  __CFDictionary* d = new __CFDictionary(keyCallBacks, valueCallBacks);
  for (CFIndex i = 0; i < numValues; ++i) d->Set(keys[i], values[i]);
  return d;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  return new __CFDictionary(keyCallBacks, valueCallBacks);
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef, CFIndex, CFDictionaryRef dict) {
  if (!CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID)) return nullptr;
  __CFDictionary* d = new __CFDictionary(&dict->mKeyCallBacks, &dict->mValueCallBacks);
  for (const auto& e : dict->mEntries) d->Set(e.first, e.second);
  return d;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dict) {
  return CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID) ? static_cast<CFIndex>(dict->mEntries.size()) : 0;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dict, const void* key, const void** value) {
  if (!CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID)) return false;
  long i = dict->Find(key);
  if (i < 0) return false;
  if (value) *value = dict->mEntries[i].second;
  return true;
}

const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key) {
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(dict, key, &value);
  return value;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef dict, const void* key) {
  return CFDictionaryGetValueIfPresent(dict, key, nullptr);
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dict, const void** keys, const void** values) {
  if (!CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID)) return;
  for (size_t i = 0; i < dict->mEntries.size(); ++i) {
    if (keys) keys[i] = dict->mEntries[i].first;
    if (values) values[i] = dict->mEntries[i].second;
  }
}

void CFDictionaryApplyFunction(CFDictionaryRef dict, CFDictionaryApplierFunction applier, void* context) {
  if (!CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID) || !applier) return;
  for (const auto& e : dict->mEntries) applier(e.first, e.second, context);
}

void CFDictionarySetValue(CFMutableDictionaryRef dict, const void* key, const void* value) {
  if (CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID)) dict->Set(key, value);
}

void CFDictionaryAddValue(CFMutableDictionaryRef dict, const void* key, const void* value) {
  if (CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID) && dict->Find(key) < 0) dict->Set(key, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dict, const void* key) {
  if (!CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID)) return;
  long i = dict->Find(key);
  if (i >= 0) dict->RemoveAt(i);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef dict) {
  if (!CFRuntimeIsType(dict, kCFRuntimeDictionaryTypeID)) return;
  for (long i = static_cast<long>(dict->mEntries.size()) - 1; i >= 0; --i) dict->RemoveAt(i);
}

// ---- arrays ----

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, TypeRetain, TypeRelease, nullptr, TypeEqual};

__CFArray::__CFArray(const CFArrayCallBacks* callBacks, CFIndex capacity)
    : __CFRuntimeBase(kCFRuntimeArrayTypeID), mCapacity(capacity > 0 ? capacity : 0) {
  if (callBacks) mCallBacks = *callBacks;
}

__CFArray::~__CFArray() {
  for (auto it = mValues.rbegin(); it != mValues.rend(); ++it) Release(*it);
}

const void* __CFArray::Retain(const void* value) const {
  return mCallBacks.retain ? mCallBacks.retain(nullptr, value) : value;
}

void __CFArray::Release(const void* value) const {
  if (mCallBacks.release) mCallBacks.release(nullptr, value);
}

bool __CFArray::Equal(const __CFRuntimeBase* other) const {
  const __CFArray* a = static_cast<const __CFArray*>(other);
  if (a->mValues.size() != mValues.size()) return false;
  for (size_t i = 0; i < mValues.size(); ++i) {
    if (mValues[i] == a->mValues[i]) continue;
    if (!mCallBacks.equal || !mCallBacks.equal(mValues[i], a->mValues[i])) return false;
  }
  return true;
}

CFTypeID CFArrayGetTypeID(void) { return kCFRuntimeArrayTypeID; }

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues, const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (numValues > 0 && !values)) return nullptr;
  __CFArray* a = new __CFArray(callBacks, 0);
  for (CFIndex i = 0; i < numValues; ++i) a->mValues.push_back(a->Retain(values[i]));
  return a;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity, const CFArrayCallBacks* callBacks) {
  return new __CFArray(callBacks, capacity);
}

CFIndex CFArrayGetCount(CFArrayRef array) {
  return CFRuntimeIsType(array, kCFRuntimeArrayTypeID) ? static_cast<CFIndex>(array->mValues.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex idx) {
  if (!CFRuntimeIsType(array, kCFRuntimeArrayTypeID) || idx < 0 ||
      idx >= static_cast<CFIndex>(array->mValues.size()))
    return nullptr;
  return array->mValues[static_cast<size_t>(idx)];
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef array, CFIndex idx, const void* value) {
  if (!CFRuntimeIsType(array, kCFRuntimeArrayTypeID) || idx < 0 ||
      idx > static_cast<CFIndex>(array->mValues.size()))
    return;
  if (array->mCapacity > 0 && static_cast<CFIndex>(array->mValues.size()) >= array->mCapacity) return;
  array->mValues.insert(array->mValues.begin() + idx, array->Retain(value));
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value) {
  CFArrayInsertValueAtIndex(array, CFArrayGetCount(array), value);
}

void CFArraySetValueAtIndex(CFMutableArrayRef array, CFIndex idx, const void* value) {
  if (!CFRuntimeIsType(array, kCFRuntimeArrayTypeID) || idx < 0) return;
  CFIndex n = static_cast<CFIndex>(array->mValues.size());
  if (idx == n) {
    CFArrayAppendValue(array, value);
  } else if (idx < n) {
    const void* old = array->mValues[static_cast<size_t>(idx)];
    array->mValues[static_cast<size_t>(idx)] = array->Retain(value);
    array->Release(old);
  }
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex idx) {
  if (!CFRuntimeIsType(array, kCFRuntimeArrayTypeID) || idx < 0 ||
      idx >= static_cast<CFIndex>(array->mValues.size()))
    return;
  const void* old = array->mValues[static_cast<size_t>(idx)];
  array->mValues.erase(array->mValues.begin() + idx);
  array->Release(old);
}

void CFArrayRemoveAllValues(CFMutableArrayRef array) {
  while (CFArrayGetCount(array) > 0) CFArrayRemoveValueAtIndex(array, CFArrayGetCount(array) - 1);
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef array, CFRange range, const void* value) {
  CFIndex n = CFArrayGetCount(array);
  if (range.location < 0) return kCFNotFound;
  for (CFIndex i = range.location; i < n && i < range.location + range.length; ++i) {
    const void* v = array->mValues[static_cast<size_t>(i)];
    if (v == value || (array->mCallBacks.equal && array->mCallBacks.equal(v, value))) return i;
  }
  return kCFNotFound;
}
