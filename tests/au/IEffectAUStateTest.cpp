#include "AUTestHost.h"

#include <cstring>
#include <string>

using namespace autest;

namespace {

class IEffectAUState : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mUnit = OpenTestEffect();
    ASSERT_NE(mUnit, nullptr);
  }
  void TearDown() override { CloseComponent(mUnit); }

  CFMutableDictionaryRef Save(AudioUnit unit)
  {
    CFPropertyListRef plist = nullptr;
    UInt32 size = sizeof plist;
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist, &size), noErr);
    EXPECT_EQ(CFGetTypeID(plist), CFDictionaryGetTypeID());
    CFMutableDictionaryRef copy = CFDictionaryCreateMutableCopy(nullptr, 0, static_cast<CFDictionaryRef>(plist));
    CFRelease(plist);
    return copy;
  }

  OSStatus Restore(AudioUnit unit, CFPropertyListRef plist)
  {
    return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist, sizeof plist);
  }

  int CurrentPreset()
  {
    AUPreset p = { -1, nullptr };
    UInt32 size = sizeof p;
    EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_CurrentPreset, 0, 0, &p, &size), noErr);
    CFRelease(p.presetName);
    return p.presetNumber;
  }

  static void PutString(CFMutableDictionaryRef d, const char* key, const char* value)
  {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFStringRef v = CFStringCreateWithCString(nullptr, value, kCFStringEncodingUTF8);
    CFDictionarySetValue(d, k, v);
    CFRelease(v);
    CFRelease(k);
  }

  static void PutInt(CFMutableDictionaryRef d, const char* key, SInt32 value)
  {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFNumberRef v = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
    CFDictionarySetValue(d, k, v);
    CFRelease(v);
    CFRelease(k);
  }

  static void Remove(CFMutableDictionaryRef d, const char* key)
  {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFDictionaryRemoveValue(d, k);
    CFRelease(k);
  }

  AudioUnit mUnit = nullptr;
};

SInt32 Number(CFDictionaryRef d, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  SInt32 v = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(d, k)), kCFNumberSInt32Type, &v);
  CFRelease(k);
  return v;
}

}  // namespace

TEST_F(IEffectAUState, StateSavedToAPresetFileRestoresEveryParameter)
{
  ASSERT_EQ(SetParam(mUnit, kGain, -7.5f), noErr);
  ASSERT_EQ(SetParam(mUnit, kMode, 2.f), noErr);
  ASSERT_EQ(SetParam(mUnit, kInvert, 1.f), noErr);
  ASSERT_EQ(SetParam(mUnit, kLatency, 64.f), noErr);
  CFMutableDictionaryRef state = Save(mUnit);
  EXPECT_EQ(Number(state, "version"), 0x00010203);
  EXPECT_EQ(Number(state, "type"), static_cast<SInt32>(kAudioUnitType_Effect));
  EXPECT_EQ(Number(state, "subtype"), static_cast<SInt32>(kSubtype));
  EXPECT_EQ(Number(state, "manufacturer"), static_cast<SInt32>(kManufacturer));
  EXPECT_TRUE(CFEqual(CFDictionaryGetValue(state, CFSTR("name")), CFSTR("Unity")));

  CFDataRef xml = CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  ASSERT_NE(xml, nullptr);
  std::string path = std::string(KELVO_BINARY_DIR) + "/tests/au/state.aupreset";
  CFStringRef cfPath = CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, cfPath, kCFURLPOSIXPathStyle, false);
  ASSERT_TRUE(CFURLWriteDataAndPropertiesToResource(url, xml, nullptr, nullptr));
  CFDataRef read = nullptr;
  ASSERT_TRUE(CFURLCreateDataAndPropertiesFromResource(nullptr, url, &read, nullptr, nullptr, nullptr));
  CFPropertyListRef loaded = CFPropertyListCreateWithData(nullptr, read, 0, nullptr, nullptr);
  ASSERT_NE(loaded, nullptr);

  AudioUnit fresh = OpenTestEffect();
  EXPECT_EQ(Restore(fresh, loaded), noErr);
  EXPECT_FLOAT_EQ(GetParam(fresh, kGain), -7.5f);
  EXPECT_FLOAT_EQ(GetParam(fresh, kMode), 2.f);
  EXPECT_FLOAT_EQ(GetParam(fresh, kInvert), 1.f);
  EXPECT_FLOAT_EQ(GetParam(fresh, kLatency), 64.f);
  Float64 latency = 0;
  UInt32 size = sizeof latency;
  ASSERT_EQ(AudioUnitGetProperty(fresh, kAudioUnitProperty_Latency, 0, 0, &latency, &size), noErr);
  EXPECT_DOUBLE_EQ(latency, 64.0 / 44100.0);
  CloseComponent(fresh);
  for (CFTypeRef o : { CFTypeRef(loaded), CFTypeRef(read), CFTypeRef(url), CFTypeRef(cfPath), CFTypeRef(xml),
                       CFTypeRef(state) }) {
    CFRelease(o);
  }
}

TEST_F(IEffectAUState, EachMissingOrForeignKeyRefusesTheRestoreBeforeAnythingChanges)
{
  ASSERT_EQ(SetParam(mUnit, kGain, 3.f), noErr);
  CFMutableDictionaryRef good = Save(mUnit);
  PutString(good, "name", "Loud");
  ASSERT_EQ(SetParam(mUnit, kGain, -1.f), noErr);

  for (const char* key : { "version", "type", "subtype", "manufacturer", "name" }) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutableCopy(nullptr, 0, good);
    Remove(d, key);
    EXPECT_EQ(Restore(mUnit, d), kAudioUnitErr_InvalidPropertyValue) << key;
    EXPECT_EQ(CurrentPreset(), 0) << key;
    EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), -1.f) << key;
    // The wrong kind of value is as good as none.
    PutString(d, key == std::string("name") ? "version" : key, "x");
    if (key != std::string("name")) {
      EXPECT_EQ(Restore(mUnit, d), kAudioUnitErr_InvalidPropertyValue) << key;
    }
    CFRelease(d);
  }
  for (const char* key : { "type", "subtype", "manufacturer" }) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutableCopy(nullptr, 0, good);
    PutInt(d, key, Number(good, key) + 1);
    EXPECT_EQ(Restore(mUnit, d), kAudioUnitErr_InvalidPropertyValue) << key;
    EXPECT_EQ(CurrentPreset(), 0) << key;
    EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), -1.f) << key;
    CFRelease(d);
  }
  // Without "data" the named preset is restored, then the restore fails.
  CFMutableDictionaryRef noData = CFDictionaryCreateMutableCopy(nullptr, 0, good);
  Remove(noData, "data");
  EXPECT_EQ(Restore(mUnit, noData), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(CurrentPreset(), 2);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 6.f);
  CFRelease(noData);
  // Any version is accepted.
  PutInt(good, "version", -99);
  EXPECT_EQ(Restore(mUnit, good), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 3.f);

  EXPECT_EQ(Restore(mUnit, nullptr), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Restore(mUnit, CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(good);
}

TEST_F(IEffectAUState, EveryTruncationOfTheDataIsRefused)
{
  ASSERT_EQ(SetParam(mUnit, kGain, 2.f), noErr);
  CFMutableDictionaryRef good = Save(mUnit);
  CFDataRef data = static_cast<CFDataRef>(CFDictionaryGetValue(good, CFSTR("data")));
  CFIndex n = CFDataGetLength(data);
  ASSERT_GT(n, 0);
  for (CFIndex length = 0; length < n; ++length) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutableCopy(nullptr, 0, good);
    CFDataRef cut = CFDataCreate(nullptr, CFDataGetBytePtr(data), length);
    CFDictionarySetValue(d, CFSTR("data"), cut);
    EXPECT_EQ(Restore(mUnit, d), kAudioUnitErr_InvalidPropertyValue) << length;
    CFRelease(cut);
    CFRelease(d);
  }
  EXPECT_EQ(Restore(mUnit, good), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 2.f);
  CFRelease(good);
}

TEST_F(IEffectAUState, PresetNamesAreReadAsUtf8UpToSixtyThreeBytes)
{
  ASSERT_EQ(SetParam(mUnit, kGain, -2.f), noErr);
  CFMutableDictionaryRef d = Save(mUnit);
  PutString(d, "name", "Leise \xE2\x80\x93 ruhig");
  EXPECT_EQ(Restore(mUnit, d), noErr);
  EXPECT_EQ(CurrentPreset(), 1);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), -2.f);  // the data wins over the preset's values
  // A name that matches no preset still restores the data.
  ASSERT_EQ(SetParam(mUnit, kGain, 5.f), noErr);
  PutString(d, "name", std::string(200, 'x').c_str());
  EXPECT_EQ(Restore(mUnit, d), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), -2.f);
  CFRelease(d);
}

TEST_F(IEffectAUState, ParameterSetsLimitToTheRangeAndRefuseOtherScopes)
{
  EXPECT_EQ(SetParam(mUnit, kGain, 40.f), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 12.f);
  EXPECT_EQ(SetParam(mUnit, kGain, -40.f), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), -24.f);
  EXPECT_EQ(AudioUnitSetParameter(mUnit, kGain, kAudioUnitScope_Input, 0, 1.f, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(mUnit, kGain, kAudioUnitScope_Output, 0, 1.f, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), -24.f);
  Float32 v = 0;
  EXPECT_EQ(AudioUnitGetParameter(mUnit, kGain, kAudioUnitScope_Input, 0, &v), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetParameter(mUnit, kGain, kAudioUnitScope_Global, 0, nullptr), paramErr);
}
