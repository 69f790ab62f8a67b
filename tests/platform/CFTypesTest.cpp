#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <thread>
#include <vector>

namespace {

CFStringRef Str(const char* s) { return CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8); }

// Whether the number converted without loss, and the value it gave as type t.
template <typename T>
std::pair<bool, T> As(CFNumberRef n, CFNumberType t) {
  T out{};
  const bool exact = CFNumberGetValue(n, t, &out);
  return {exact, out};
}

std::vector<CFIndex> Counts(std::initializer_list<CFTypeRef> objects) {
  std::vector<CFIndex> counts;
  for (CFTypeRef o : objects) counts.push_back(CFGetRetainCount(o));
  return counts;
}

void Release(std::initializer_list<CFTypeRef> objects) {
  for (CFTypeRef o : objects) CFRelease(o);
}

} // namespace

TEST(CFString, KeepsUtf8TextCountsUtf16UnitsAndRefusesInvalidBytes) {
  const char* text = "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x8E\xB5"; // "Grüße 🎵"
  const CFIndex bytes = static_cast<CFIndex>(strlen(text));
  CFStringRef s = Str(text);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(CFStringGetLength(s), 8); // 6 letters and a space in 7 units, the note in 2
  char buf[64];
  EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingASCII));
  // One byte too small for the text and its terminator.
  EXPECT_FALSE(CFStringGetCString(s, buf, bytes, kCFStringEncodingUTF8));
  EXPECT_TRUE(CFStringGetCString(s, buf, bytes + 1, kCFStringEncodingUTF8));
  EXPECT_STREQ(buf, text);
  EXPECT_GE(CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8), bytes);
  CFRelease(s);
  for (const char* bad : {"\xC3", "a\xFFz", static_cast<const char*>(nullptr)}) EXPECT_EQ(Str(bad), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC3\xA9", kCFStringEncodingASCII), nullptr);
}

TEST(CFString, ConstantStringsAreSharedAndImmortal) {
  CFStringRef a = CFSTR("name");
  EXPECT_EQ(a, CFSTR("name"));
  Release({a, a});
  CFStringRef b = Str("name");
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_EQ(CFHash(a), CFHash(b));
  EXPECT_EQ(CFStringCompare(a, b, 0), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("Abc"), CFSTR("abd"), kCFCompareCaseInsensitive), kCFCompareLessThan);
  CFRelease(b);
}

TEST(CFNumber, ConvertsBetweenTypesAndReportsLoss) {
  const SInt32 v = -70000;
  const Float32 f = 2.5f;
  const SInt64 big = INT64_MAX;
  const Float64 huge = 1e300;
  CFNumberRef i = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
  CFNumberRef r = CFNumberCreate(nullptr, kCFNumberFloat32Type, &f);
  CFNumberRef b = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
  CFNumberRef h = CFNumberCreate(nullptr, kCFNumberFloat64Type, &huge);
  EXPECT_EQ(As<SInt64>(i, kCFNumberSInt64Type), std::make_pair(true, SInt64(-70000)));
  EXPECT_FALSE(As<SInt16>(i, kCFNumberSInt16Type).first);
  EXPECT_EQ(As<Float64>(i, kCFNumberFloat64Type), std::make_pair(true, -70000.0));
  EXPECT_EQ(As<SInt32>(r, kCFNumberSInt32Type), std::make_pair(false, SInt32(2))); // truncated
  EXPECT_EQ(As<Float32>(r, kCFNumberFloat32Type), std::make_pair(true, 2.5f));
  EXPECT_FALSE(As<Float64>(b, kCFNumberFloat64Type).first); // 2^63 - 1 has no double
  EXPECT_EQ(As<SInt64>(b, kCFNumberLongLongType), std::make_pair(true, INT64_MAX));
  EXPECT_EQ(As<SInt64>(h, kCFNumberSInt64Type), std::make_pair(false, INT64_MAX)); // saturated
  EXPECT_FALSE(CFNumberIsFloatType(i));
  EXPECT_TRUE(CFNumberIsFloatType(r));
  EXPECT_EQ(CFNumberCreate(nullptr, static_cast<CFNumberType>(99), &v), nullptr);
  EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberSInt32Type, nullptr), nullptr);
  Release({i, r, b, h});
}

TEST(CFData, CopiesBytesAndReadsRanges) {
  const UInt8 bytes[] = {1, 2, 3, 4, 5};
  CFDataRef d = CFDataCreate(nullptr, bytes, 5), empty = CFDataCreate(nullptr, nullptr, 0);
  CFMutableDataRef m = CFDataCreateMutable(nullptr, 0);
  std::array<UInt8, 3> out = {9, 9, 9};
  CFDataGetBytes(d, CFRangeMake(3, 3), out.data()); // past the end: nothing copied
  EXPECT_EQ(out, (std::array<UInt8, 3>{9, 9, 9}));
  CFDataGetBytes(d, CFRangeMake(2, 3), out.data());
  EXPECT_EQ(out, (std::array<UInt8, 3>{3, 4, 5}));
  EXPECT_EQ(CFDataGetLength(empty), 0);
  EXPECT_EQ(CFDataGetBytePtr(empty), nullptr);
  CFDataAppendBytes(m, bytes, 5);
  EXPECT_TRUE(CFEqual(m, d));
  EXPECT_FALSE(CFEqual(m, empty));
  Release({m, empty, d});
}

TEST(CFDictionary, TypeCallbacksRetainKeysAndValuesUntilRemovedAndNoCallbacksMeanIdentity) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = Str("gain"), sameKey = Str("gain");
  SInt32 one = 1, two = 2;
  CFNumberRef v1 = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  CFNumberRef v2 = CFNumberCreate(nullptr, kCFNumberSInt32Type, &two);
  CFDictionarySetValue(dict, key, v1);
  EXPECT_EQ(Counts({key, v1}), (std::vector<CFIndex>{2, 2}));
  // An equal key that is another object finds the same entry.
  EXPECT_EQ(CFDictionaryGetValue(dict, sameKey), v1);
  CFDictionaryAddValue(dict, sameKey, v2); // present: not replaced
  EXPECT_EQ(CFDictionaryGetValue(dict, key), v1);
  CFDictionarySetValue(dict, sameKey, v2); // replaces; the old value is released
  EXPECT_EQ(Counts({v1, v2}), (std::vector<CFIndex>{1, 2}));
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);
  EXPECT_FALSE(CFDictionaryContainsKey(dict, CFSTR("other")));
  CFDictionaryRemoveValue(dict, key);
  EXPECT_EQ(Counts({key, v2}), (std::vector<CFIndex>{1, 1}));
  CFDictionarySetValue(dict, key, v2);
  CFRelease(dict); // releases what it holds
  EXPECT_EQ(Counts({key, v2}), (std::vector<CFIndex>{1, 1}));

  CFMutableDictionaryRef plain = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  CFDictionarySetValue(plain, key, key);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFDictionaryGetValue(plain, sameKey), nullptr);
  EXPECT_EQ(CFDictionaryGetValue(plain, key), key);
  Release({plain, sameKey, key, v1, v2});
}

TEST(CFArray, RetainsOnlyWithCallbacksAndKeepsItsCapacity) {
  CFStringRef s = Str("x");
  CFMutableArrayRef plain = CFArrayCreateMutable(nullptr, 0, nullptr);
  CFMutableArrayRef typed = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(plain, s);
  CFArrayAppendValue(typed, s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  EXPECT_EQ(CFArrayGetValueAtIndex(plain, 0), s);
  EXPECT_EQ(CFArrayGetValueAtIndex(plain, 1), nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(plain, -1), nullptr);
  CFArrayRemoveValueAtIndex(typed, 0);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(plain);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  Release({typed, s});
  CFMutableArrayRef limited = CFArrayCreateMutable(nullptr, 2, nullptr);
  int a, b, c;
  for (int* p : {&a, &b, &c}) CFArrayAppendValue(limited, p);
  EXPECT_EQ(CFArrayGetCount(limited), 2);
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(limited, CFRangeMake(0, 2), &b), 1);
  CFRelease(limited);
}

TEST(CFRetain, CountsAreExactAcrossThreads) {
  CFStringRef s = Str("shared");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([s] {
      for (int i = 0; i < 10000; ++i) {
        CFRetain(s);
        CFRelease(s);
        CFRetain(s);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(CFGetRetainCount(s), 1 + 4 * 10000);
  for (int i = 0; i < 4 * 10000; ++i) CFRelease(s);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(s);
}

TEST(CFURL, BuildsPathsAndComponents) {
  CFURLRef dir = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/a.component/"), kCFURLPOSIXPathStyle, true);
  CFURLRef file = CFURLCreateCopyAppendingPathComponent(nullptr, dir, CFSTR("Contents"), true);
  CFStringRef path = CFURLCopyFileSystemPath(file, kCFURLPOSIXPathStyle);
  EXPECT_STREQ(CFStringGetCStringPtr(path, kCFStringEncodingUTF8), "/tmp/a.component/Contents");
  EXPECT_STREQ(CFStringGetCStringPtr(CFURLGetString(dir), kCFStringEncodingUTF8), "file:///tmp/a.component");
  CFStringRef last = CFURLCopyLastPathComponent(dir);
  EXPECT_TRUE(CFEqual(last, CFSTR("a.component")));
  CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, file);
  EXPECT_TRUE(CFEqual(parent, dir));
  UInt8 small[8];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(dir, true, small, sizeof small));
  for (CFTypeRef o : {CFTypeRef(dir), CFTypeRef(file), CFTypeRef(path), CFTypeRef(last), CFTypeRef(parent)})
    CFRelease(o);
}
