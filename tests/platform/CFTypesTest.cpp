#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

CFStringRef Str(const char* s) { return CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8); }

} // namespace

TEST(CFString, KeepsUtf8TextAndCountsUtf16Units) {
  const char* text = "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x8E\xB5"; // "Grüße 🎵"
  CFStringRef s = Str(text);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(CFGetTypeID(s), CFStringGetTypeID());
  EXPECT_EQ(CFStringGetLength(s), 8); // 6 letters and a space in 7 units, the note in 2
  char buf[64];
  ASSERT_TRUE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8));
  EXPECT_STREQ(buf, text);
  EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingASCII));
  // One byte too small for the text and its terminator.
  EXPECT_FALSE(CFStringGetCString(s, buf, static_cast<CFIndex>(strlen(text)), kCFStringEncodingUTF8));
  EXPECT_TRUE(CFStringGetCString(s, buf, static_cast<CFIndex>(strlen(text)) + 1, kCFStringEncodingUTF8));
  EXPECT_GE(CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1,
            static_cast<CFIndex>(strlen(text)) + 1);
  CFRelease(s);
}

TEST(CFString, InvalidBytesMakeNoString) {
  EXPECT_EQ(Str("\xC3"), nullptr);
  EXPECT_EQ(Str("a\xFFz"), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC3\xA9", kCFStringEncodingASCII), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
}

TEST(CFString, ConstantStringsAreSharedAndImmortal) {
  CFStringRef a = CFSTR("name");
  EXPECT_EQ(a, CFSTR("name"));
  CFRelease(a);
  CFRelease(a);
  CFStringRef b = Str("name");
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_EQ(CFHash(a), CFHash(b));
  EXPECT_EQ(CFStringCompare(a, b, 0), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("Abc"), CFSTR("abd"), kCFCompareCaseInsensitive), kCFCompareLessThan);
  CFRelease(b);
}

TEST(CFNumber, ConvertsBetweenTypesAndReportsLoss) {
  SInt32 v = -70000;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
  SInt64 wide = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &wide));
  EXPECT_EQ(wide, -70000);
  SInt16 narrow = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt16Type, &narrow));
  Float64 d = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat64Type, &d));
  EXPECT_EQ(d, -70000.0);
  EXPECT_FALSE(CFNumberIsFloatType(n));
  CFRelease(n);

  Float32 f = 2.5f;
  n = CFNumberCreate(nullptr, kCFNumberFloat32Type, &f);
  EXPECT_TRUE(CFNumberIsFloatType(n));
  SInt32 truncated = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &truncated));
  EXPECT_EQ(truncated, 2);
  Float32 back = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat32Type, &back));
  EXPECT_EQ(back, 2.5f);
  CFRelease(n);

  SInt64 big = INT64_MAX;
  n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberFloat64Type, &d)); // 2^63 - 1 has no double
  SInt64 backBig = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberLongLongType, &backBig));
  EXPECT_EQ(backBig, INT64_MAX);
  CFRelease(n);
  Float64 huge = 1e300;
  n = CFNumberCreate(nullptr, kCFNumberFloat64Type, &huge);
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt64Type, &backBig));
  EXPECT_EQ(backBig, INT64_MAX);
  CFRelease(n);

  EXPECT_EQ(CFNumberCreate(nullptr, static_cast<CFNumberType>(99), &v), nullptr);
  EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberSInt32Type, nullptr), nullptr);
}

TEST(CFData, CopiesBytesAndReadsRanges) {
  const UInt8 bytes[] = {1, 2, 3, 4, 5};
  CFDataRef d = CFDataCreate(nullptr, bytes, 5);
  EXPECT_EQ(CFDataGetLength(d), 5);
  UInt8 out[3] = {};
  CFDataGetBytes(d, CFRangeMake(2, 3), out);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[2], 5);
  UInt8 untouched[3] = {9, 9, 9};
  CFDataGetBytes(d, CFRangeMake(3, 3), untouched); // past the end: nothing copied
  EXPECT_EQ(untouched[0], 9);
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  EXPECT_EQ(CFDataGetLength(empty), 0);
  EXPECT_EQ(CFDataGetBytePtr(empty), nullptr);
  CFMutableDataRef m = CFDataCreateMutable(nullptr, 0);
  CFDataAppendBytes(m, bytes, 5);
  EXPECT_TRUE(CFEqual(m, d));
  EXPECT_FALSE(CFEqual(m, empty));
  CFRelease(m);
  CFRelease(empty);
  CFRelease(d);
}

TEST(CFDictionary, TypeCallbacksRetainKeysAndValuesUntilRemoved) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = Str("gain");
  SInt32 one = 1, two = 2;
  CFNumberRef v1 = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  CFNumberRef v2 = CFNumberCreate(nullptr, kCFNumberSInt32Type, &two);
  CFDictionarySetValue(dict, key, v1);
  EXPECT_EQ(CFGetRetainCount(key), 2);
  EXPECT_EQ(CFGetRetainCount(v1), 2);
  // An equal key that is another object finds the same entry.
  CFStringRef sameKey = Str("gain");
  EXPECT_EQ(CFDictionaryGetValue(dict, sameKey), v1);
  CFDictionaryAddValue(dict, sameKey, v2); // present: not replaced
  EXPECT_EQ(CFDictionaryGetValue(dict, key), v1);
  CFDictionarySetValue(dict, sameKey, v2); // replaces; the old value is released
  EXPECT_EQ(CFGetRetainCount(v1), 1);
  EXPECT_EQ(CFGetRetainCount(v2), 2);
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);
  EXPECT_FALSE(CFDictionaryContainsKey(dict, CFSTR("other")));
  CFDictionaryRemoveValue(dict, key);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFGetRetainCount(v2), 1);
  CFDictionarySetValue(dict, key, v2);
  CFRelease(dict); // releases what it holds
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFGetRetainCount(v2), 1);
  CFRelease(sameKey);
  CFRelease(key);
  CFRelease(v1);
  CFRelease(v2);
}

TEST(CFDictionary, WithoutCallbacksComparesKeysByIdentity) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  CFStringRef a = Str("k"), b = Str("k");
  CFDictionarySetValue(dict, a, a);
  EXPECT_EQ(CFGetRetainCount(a), 1);
  EXPECT_EQ(CFDictionaryGetValue(dict, b), nullptr);
  EXPECT_EQ(CFDictionaryGetValue(dict, a), a);
  CFRelease(dict);
  CFRelease(a);
  CFRelease(b);
}

TEST(CFArray, RetainsOnlyWithCallbacks) {
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
  CFRelease(typed);
  CFRelease(s);

  CFMutableArrayRef limited = CFArrayCreateMutable(nullptr, 2, nullptr);
  int a, b, c;
  CFArrayAppendValue(limited, &a);
  CFArrayAppendValue(limited, &b);
  CFArrayAppendValue(limited, &c);
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
