#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

CFNumberRef Int(SInt32 v) { return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v); }

void Put(CFMutableDictionaryRef d, const char* key, CFTypeRef value) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFDictionarySetValue(d, k, value);
  CFRelease(k);
  CFRelease(value);
}

CFURLRef TempURL(const char* name) {
  std::string path = std::string(KELVO_BINARY_DIR) + "/tests/platform/" + name;
  CFStringRef s = CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, s, kCFURLPOSIXPathStyle, false);
  CFRelease(s);
  return url;
}

} // namespace

TEST(CFPropertyList, ClassInfoDictionaryRoundTripsThroughAPresetFile) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  Put(dict, "version", Int(0x010101));
  Put(dict, "manufacturer", Int(-2)); // negative codes keep their sign
  Put(dict, "name", CFStringCreateWithCString(nullptr, "Pr\xC3\xA9sence <&>", kCFStringEncodingUTF8));
  const UInt8 bytes[] = {0, 1, 2, 0xFF, 0x80};
  Put(dict, "data", CFDataCreate(nullptr, bytes, sizeof bytes));
  Put(dict, "empty", CFDataCreate(nullptr, nullptr, 0));
  double gain = -3.25;
  Put(dict, "gain", CFNumberCreate(nullptr, kCFNumberFloat64Type, &gain));
  CFDictionarySetValue(dict, CFSTR("on"), kCFBooleanTrue);
  CFMutableArrayRef list = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(list, CFSTR("a"));
  CFArrayAppendValue(list, CFSTR("b"));
  Put(dict, "list", list);

  CFDataRef xml = CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  ASSERT_NE(xml, nullptr);
  CFURLRef url = TempURL("roundtrip.aupreset");
  SInt32 err = 1;
  CFDataRef read = nullptr;
  ASSERT_TRUE(CFURLWriteDataAndPropertiesToResource(url, xml, nullptr, &err));
  EXPECT_EQ(err, 0);
  ASSERT_TRUE(CFURLCreateDataAndPropertiesFromResource(nullptr, url, &read, nullptr, nullptr, &err));
  EXPECT_TRUE(CFEqual(read, xml));
  CFPropertyListFormat format = kCFPropertyListBinaryFormat_v1_0;
  CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, read, kCFPropertyListMutableContainers, &format, nullptr);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(format, kCFPropertyListXMLFormat_v1_0);
  // every value compared by type and content: signs, escaped text, empty data, the boolean
  EXPECT_TRUE(CFEqual(back, dict));
  for (CFTypeRef o : {back, CFTypeRef(read), CFTypeRef(url), CFTypeRef(xml), CFTypeRef(dict)}) CFRelease(o);
}

TEST(CFPropertyList, ValuesWithoutAListFormAndTextThatIsNotAListAreRefused) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks);
  CFURLRef url = TempURL("x");
  CFDictionarySetValue(dict, CFSTR("url"), url);
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, dict), nullptr);
  EXPECT_FALSE(CFPropertyListIsValid(dict, kCFPropertyListXMLFormat_v1_0));
  CFDictionaryRemoveValue(dict, CFSTR("url"));
  CFNumberRef numberKey = Int(3);
  CFDictionarySetValue(dict, numberKey, CFSTR("non-string key"));
  CFRelease(numberKey);
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, dict), nullptr);
  CFRelease(url);
  CFRelease(dict);
  // nor does text that is not a list make one
  for (const char* text : {"", "not xml", "<plist><dict><key>a</key></plist>"}) {
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text), static_cast<CFIndex>(strlen(text)));
    EXPECT_EQ(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr), nullptr) << text;
    CFRelease(data);
  }
  CFURLRef missing = TempURL("no-such-file.aupreset");
  CFDataRef data = reinterpret_cast<CFDataRef>(1);
  SInt32 err = 0;
  EXPECT_FALSE(CFURLCreateDataAndPropertiesFromResource(nullptr, missing, &data, nullptr, nullptr, &err));
  EXPECT_EQ(data, nullptr);
  EXPECT_NE(err, 0);
  CFRelease(missing);
}
