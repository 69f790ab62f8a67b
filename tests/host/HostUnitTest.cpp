// The host library against the adapter's test effect bundle (aufx Tsfx KlvT): a stereo
// gain with "Gain" (dB), "Mode of operation" (Clean, Warm, Hot), "Invert" and three
// factory presets, "Unity", "Leise – ruhig" (-12 dB, Warm) and "Loud" (+6 dB, Hot,
// inverted).

#include "ComponentCatalog.h"
#include "HostText.h"
#include "HostUnit.h"
#include "PresetFile.h"
#include "UnitRenderer.h"
#include "UnitSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

const OSType kTestSubtype = 0x54736678;  // 'Tsfx'
enum { kGain = 0, kMode, kInvert };

std::string TempPath(const char* name)
{
  return std::string(::testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

class TestEffectHost : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(FindAudioUnit(kAudioUnitType_Effect, kTestSubtype, 0, &listing)) << "the test effect bundle is missing";
    std::string error;
    ASSERT_TRUE(unit.Open(listing, &error)) << error;
  }

  float Value(AudioUnitParameterID id)
  {
    AudioUnitParameterValue v = -999;
    EXPECT_EQ(unit.GetParameterValue(id, &v), noErr);
    return v;
  }

  // A stereo (or mono) ramp that is different on every channel and sample.
  static AudioFile Ramp(int channels, size_t frames, double rate = 44100)
  {
    AudioFile audio;
    audio.sampleRate = rate;
    audio.Allocate(channels, frames);
    for (int c = 0; c < channels; ++c) {
      for (size_t i = 0; i < frames; ++i) audio.channels[c][i] = static_cast<float>((c + 1) * 0.001 * (i % 500) - 0.3);
    }
    return audio;
  }

  ComponentListing listing;
  HostUnit unit;
};

}  // namespace

TEST(ComponentCatalog, ListsTheTestEffectWithItsNameAndBundle)
{
  bool seen = false;
  for (const ComponentListing& c : ListAudioUnits()) {
    EXPECT_TRUE(IsAudioUnitType(c.description.componentType));
    if (c.description.componentSubType != kTestSubtype) continue;
    seen = true;
    EXPECT_EQ(DescribeCodes(c.description), "aufx Tsfx KlvT");
    EXPECT_EQ(c.name, "Kelvo Tests: TestEffect");
    const std::string suffix = "/tests/au/TestEffect.component";
    ASSERT_GT(c.bundlePath.size(), suffix.size());
    EXPECT_EQ(c.bundlePath.substr(c.bundlePath.size() - suffix.size()), suffix);
  }
  EXPECT_TRUE(seen);
  // its view component is not an audio unit
  EXPECT_FALSE(IsAudioUnitType(0x61757677));
  ComponentListing found;
  EXPECT_TRUE(FindAudioUnit(0, kTestSubtype, 0, &found));
  EXPECT_EQ(found.description.componentType, OSType(kAudioUnitType_Effect));
  OSType none = 0;
  ASSERT_TRUE(StringToFourCC("Nope", &none));
  EXPECT_FALSE(FindAudioUnit(0, none, 0, &found));
  EXPECT_EQ(FourCCToString(kKelvoSubType) + FourCCToString(kKelvoManufacturer), "KvloBrnt");
}

TEST(HostText, FourCharacterCodesAndStatusesReadAsText)
{
  OSType code = 0;
  EXPECT_TRUE(StringToFourCC("aufx", &code));
  EXPECT_EQ(code, OSType(kAudioUnitType_Effect));
  EXPECT_FALSE(StringToFourCC("auf", &code));
  EXPECT_FALSE(StringToFourCC("aufxx", &code));
  EXPECT_FALSE(StringToFourCC("au\tx", &code));
  EXPECT_EQ(FourCCToString(0x41420A43), "AB\\x0AC");
  EXPECT_EQ(StatusText(kAudioUnitErr_InvalidPropertyValue), "-10851 (invalid property value)");
  EXPECT_EQ(StatusText(12345), "12345");
  CFStringRef s = CreateCFString("Leise \xE2\x80\x93 ruhig");
  EXPECT_EQ(StringFromCF(s), "Leise \xE2\x80\x93 ruhig");
  CFRelease(s);
  EXPECT_EQ(StringFromCF(nullptr), "");
}

TEST_F(TestEffectHost, ParametersCarryNamesRangesUnitsAndValueTexts)
{
  std::vector<UnitParameter> parameters;
  std::string error;
  ASSERT_TRUE(unit.GetParameters(&parameters, &error)) << error;
  ASSERT_EQ(parameters.size(), 8u);
  const UnitParameter& gain = parameters[kGain];
  EXPECT_EQ(gain.name, "Gain");
  EXPECT_EQ(gain.minValue, -24.f);
  EXPECT_EQ(gain.maxValue, 12.f);
  EXPECT_EQ(UnitLabel(gain), "dB");
  EXPECT_TRUE(gain.valueStrings.empty());
  const UnitParameter& mode = parameters[kMode];
  EXPECT_EQ(mode.name, "Mode of operation");
  EXPECT_EQ(mode.unit, AudioUnitParameterUnit(kAudioUnitParameterUnit_Indexed));
  EXPECT_EQ(mode.valueStrings, (std::vector<std::string>{ "Clean", "Warm", "Hot" }));
  EXPECT_EQ(UnitLabel(parameters[kInvert]), "on/off");

  EXPECT_EQ(unit.ValueText(kMode, 2), "Hot");
  EXPECT_EQ(unit.ValueText(kGain, 3.5f), "");
  AudioUnitParameterValue v = 0;
  EXPECT_TRUE(unit.ValueFromText(kMode, "Warm", &v));
  EXPECT_EQ(v, 1.f);
  EXPECT_FALSE(unit.ValueFromText(kMode, "Cold", &v));

  EXPECT_EQ(unit.SetParameterValue(kGain, -7.5f), noErr);
  EXPECT_EQ(Value(kGain), -7.5f);
}

TEST_F(TestEffectHost, FactoryPresetsAreListedAndRecalled)
{
  std::vector<UnitPreset> presets;
  std::string error;
  ASSERT_TRUE(unit.GetFactoryPresets(&presets, &error)) << error;
  ASSERT_EQ(presets.size(), 3u);
  EXPECT_EQ(presets[1].number, 1);
  EXPECT_EQ(presets[1].name, "Leise \xE2\x80\x93 ruhig");
  UnitPreset current;
  ASSERT_TRUE(unit.GetCurrentPreset(&current));
  EXPECT_EQ(current.number, 0);
  EXPECT_EQ(current.name, "Unity");

  EXPECT_EQ(unit.SetCurrentPreset(presets[2]), noErr);
  EXPECT_EQ(Value(kGain), 6.f);
  EXPECT_EQ(Value(kMode), 2.f);
  EXPECT_EQ(Value(kInvert), 1.f);
  ASSERT_TRUE(unit.GetCurrentPreset(&current));
  EXPECT_EQ(current.number, 2);
  EXPECT_EQ(current.name, "Loud");
}

TEST_F(TestEffectHost, PresetsAndParametersAreFoundByNumberIdOrNameInAnyCase)
{
  std::vector<UnitPreset> presets;
  ASSERT_TRUE(unit.GetFactoryPresets(&presets, nullptr));
  UnitPreset p;
  std::string error;
  EXPECT_TRUE(FindFactoryPreset(presets, "2", &p, &error));
  EXPECT_EQ(p.name, "Loud");
  EXPECT_TRUE(FindFactoryPreset(presets, "lOUD", &p, &error));
  EXPECT_EQ(p.number, 2);
  EXPECT_TRUE(FindFactoryPreset(presets, "Leise \xE2\x80\x93 ruhig", &p, &error));
  EXPECT_EQ(p.number, 1);
  EXPECT_FALSE(FindFactoryPreset(presets, "3", &p, &error));
  EXPECT_NE(error.find("no factory preset number 3"), std::string::npos) << error;
  EXPECT_FALSE(FindFactoryPreset(presets, "Quiet", &p, &error));
  EXPECT_NE(error.find("\"Quiet\""), std::string::npos) << error;
  EXPECT_FALSE(FindFactoryPreset({}, "0", &p, &error));

  std::vector<UnitParameter> parameters;
  ASSERT_TRUE(unit.GetParameters(&parameters, nullptr));
  ASSERT_NE(FindParameter(parameters, "1", &error), nullptr);
  EXPECT_EQ(FindParameter(parameters, "1", &error)->name, "Mode of operation");
  EXPECT_EQ(FindParameter(parameters, "mode OF operation", &error)->id, 1u);
  EXPECT_EQ(FindParameter(parameters, "99", &error), nullptr);
  EXPECT_EQ(FindParameter(parameters, "Volume", &error), nullptr);
  EXPECT_NE(error.find("\"Volume\""), std::string::npos);

  // values: numbers, the unit's texts, the listed texts in any case, on/off
  AudioUnitParameterValue v = 0;
  EXPECT_TRUE(ParseParameterValue(unit, parameters[kGain], "-3.5", &v, &error));
  EXPECT_EQ(v, -3.5f);
  EXPECT_TRUE(ParseParameterValue(unit, parameters[kMode], "Hot", &v, &error));
  EXPECT_EQ(v, 2.f);
  EXPECT_TRUE(ParseParameterValue(unit, parameters[kMode], "warm", &v, &error));
  EXPECT_EQ(v, 1.f);
  EXPECT_TRUE(ParseParameterValue(unit, parameters[kInvert], "on", &v, &error));
  EXPECT_EQ(v, 1.f);
  EXPECT_TRUE(ParseParameterValue(unit, parameters[kGain], "12", &v, &error));
  EXPECT_FALSE(ParseParameterValue(unit, parameters[kGain], "12.01", &v, &error));
  EXPECT_EQ(error, "\"Gain\" takes -24 to 12, not 12.01");
  EXPECT_FALSE(ParseParameterValue(unit, parameters[kGain], "loud", &v, &error));
  EXPECT_FALSE(ParseParameterValue(unit, parameters[kGain], "nan", &v, &error));
  EXPECT_FALSE(ParseParameterValue(unit, parameters[kMode], "Cold", &v, &error));
  EXPECT_EQ(error, "\"Cold\" is not a value of \"Mode of operation\" (values: Clean, Warm, Hot)");
}

TEST_F(TestEffectHost, ClassInfoRoundTripsThroughAPresetFile)
{
  ASSERT_EQ(unit.SetParameterValue(kGain, -9.5f), noErr);
  ASSERT_EQ(unit.SetParameterValue(kMode, 1), noErr);
  CFPropertyListRef classInfo = nullptr;
  ASSERT_EQ(unit.CopyClassInfo(&classInfo), noErr);
  CFPropertyListRef renamed = CopyClassInfoWithName(classInfo, "Mein Klang \xC3\xA4");
  CFRelease(classInfo);
  ASSERT_NE(renamed, nullptr);
  const std::string path = TempPath("state.aupreset");
  std::string error;
  ASSERT_TRUE(WritePresetFile(path, renamed, &error)) << error;
  CFRelease(renamed);

  ASSERT_EQ(unit.SetParameterValue(kGain, 3.f), noErr);
  ASSERT_EQ(unit.SetParameterValue(kMode, 2), noErr);
  CFPropertyListRef read = ReadPresetFile(path, &error);
  ASSERT_NE(read, nullptr) << error;
  ClassInfoSummary summary;
  ASSERT_TRUE(SummarizeClassInfo(read, &summary, &error)) << error;
  EXPECT_EQ(summary.type, OSType(kAudioUnitType_Effect));
  EXPECT_EQ(summary.subtype, kTestSubtype);
  EXPECT_EQ(summary.manufacturer, 0x4B6C7654u);
  EXPECT_EQ(summary.version, 0x00010203);
  EXPECT_EQ(summary.name, "Mein Klang \xC3\xA4");
  EXPECT_GT(summary.dataBytes, 0);
  EXPECT_EQ(unit.SetClassInfo(read), noErr);
  CFRelease(read);
  EXPECT_EQ(Value(kGain), -9.5f);
  EXPECT_EQ(Value(kMode), 1.f);
  unlink(path.c_str());
}

TEST_F(TestEffectHost, FilesThatAreNotPresetsAreRefusedWithTheReason)
{
  CFPropertyListRef classInfo = nullptr;
  ASSERT_EQ(unit.CopyClassInfo(&classInfo), noErr);
  const std::string path = TempPath("broken.aupreset");
  std::string error;
  // each key missing, and each of a wrong type
  for (const char* key : { "version", "type", "subtype", "manufacturer", "name" }) {
    CFMutableDictionaryRef copy =
        CFDictionaryCreateMutableCopy(nullptr, 0, static_cast<CFDictionaryRef>(classInfo));
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFDictionaryRemoveValue(copy, k);
    ASSERT_TRUE(WritePresetFile(path, copy, &error)) << error;
    EXPECT_EQ(ReadPresetFile(path, &error), nullptr) << key;
    EXPECT_EQ(error, path + ": not an audio unit preset: no \"" + key + "\" entry");
    CFDictionarySetValue(copy, k, CFSTR("text"));
    if (std::string(key) == "name") CFDictionarySetValue(copy, k, kCFBooleanTrue);
    ASSERT_TRUE(WritePresetFile(path, copy, &error)) << error;
    EXPECT_EQ(ReadPresetFile(path, &error), nullptr) << key;
    EXPECT_NE(error.find("is not a"), std::string::npos) << error;
    CFRelease(k);
    CFRelease(copy);
  }
  CFRelease(classInfo);

  FILE* f = fopen(path.c_str(), "w");
  fputs("<plist version=\"1.0\"><array><integer>1</integer></array></plist>", f);
  fclose(f);
  EXPECT_EQ(ReadPresetFile(path, &error), nullptr);
  EXPECT_EQ(error, path + ": not an audio unit preset: not a class-info dictionary");
  f = fopen(path.c_str(), "w");
  fputs("gain = 6", f);
  fclose(f);
  EXPECT_EQ(ReadPresetFile(path, &error), nullptr);
  EXPECT_EQ(error, path + ": not a property list");
  unlink(path.c_str());
  EXPECT_EQ(ReadPresetFile(path, &error), nullptr);
  EXPECT_EQ(error.find(path + ": "), 0u);
}

TEST_F(TestEffectHost, SettingsApplyStateThenPresetThenParameters)
{
  ASSERT_EQ(unit.SetParameterValue(kGain, -12.f), noErr);
  ASSERT_EQ(unit.SetParameterValue(kMode, 1), noErr);
  CFPropertyListRef classInfo = nullptr;
  ASSERT_EQ(unit.CopyClassInfo(&classInfo), noErr);
  const std::string path = TempPath("settings.aupreset");
  ASSERT_TRUE(WritePresetFile(path, classInfo, nullptr));
  CFRelease(classInfo);
  ASSERT_EQ(unit.SetCurrentPreset({ 0, "Unity" }), noErr);

  UnitSettings settings;
  settings.stateFile = path;
  settings.preset = "Loud";
  settings.assignments = { "gain=-3", "Invert=off" };
  std::vector<std::string> applied;
  std::string error;
  ASSERT_TRUE(ApplyUnitSettings(&unit, settings, &applied, &error)) << error;
  // the preset overrides the state's mode, the assignments override the preset
  EXPECT_EQ(Value(kGain), -3.f);
  EXPECT_EQ(Value(kMode), 2.f);
  EXPECT_EQ(Value(kInvert), 0.f);
  ASSERT_EQ(applied.size(), 4u);
  EXPECT_EQ(applied[1], "preset 2 \"Loud\"");
  EXPECT_EQ(applied[2], "\"Gain\" = -3 dB");
  EXPECT_EQ(applied[3], "\"Invert\" = 0 (off)");

  // a failing step stops with its reason
  settings = UnitSettings();
  settings.assignments = { "Gain=-3", "Gain" };
  EXPECT_FALSE(ApplyUnitSettings(&unit, settings, nullptr, &error));
  EXPECT_EQ(error, "\"Gain\" is not NAME_OR_ID=VALUE");
  settings.assignments = { "Gain=99" };
  EXPECT_FALSE(ApplyUnitSettings(&unit, settings, nullptr, &error));
  EXPECT_EQ(Value(kGain), -3.f);
  settings = UnitSettings();
  settings.preset = "7";
  EXPECT_FALSE(ApplyUnitSettings(&unit, settings, nullptr, &error));
  unlink(path.c_str());
}

TEST_F(TestEffectHost, StateOfAnotherUnitIsRefusedNamingBothUnits)
{
  CFPropertyListRef classInfo = nullptr;
  ASSERT_EQ(unit.CopyClassInfo(&classInfo), noErr);
  CFMutableDictionaryRef other = CFDictionaryCreateMutableCopy(nullptr, 0, static_cast<CFDictionaryRef>(classInfo));
  CFRelease(classInfo);
  const SInt32 subtype = 0x4F746872;  // 'Othr'
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &subtype);
  CFDictionarySetValue(other, CFSTR("subtype"), number);
  CFRelease(number);
  const std::string path = TempPath("other.aupreset");
  ASSERT_TRUE(WritePresetFile(path, other, nullptr));
  CFRelease(other);
  ASSERT_EQ(unit.SetParameterValue(kGain, 1.f), noErr);
  UnitSettings settings;
  settings.stateFile = path;
  std::string error;
  EXPECT_FALSE(ApplyUnitSettings(&unit, settings, nullptr, &error));
  EXPECT_EQ(error, path + ": the preset is for aufx Othr KlvT, not for aufx Tsfx KlvT");
  EXPECT_EQ(Value(kGain), 1.f);
  unlink(path.c_str());
}

TEST_F(TestEffectHost, RenderGoesThroughTheUnitAtEveryBlockSizeChannelCountAndRate)
{
  // the gain as the effect computes it from decibels
  const double gain = std::pow(10.0, -6.0 / 20.0);
  for (double rate : { 44100.0, 96000.0 }) {
    for (int channels : { 1, 2 }) {
      for (UInt32 block : { 1u, 7u, 512u, 1000u, 1024u, 4096u }) {
        SCOPED_TRACE(std::to_string(channels) + " channels, block " + std::to_string(block) + ", " +
                     std::to_string(rate));
        const AudioFile input = Ramp(channels, 1000, rate);
        UnitRenderer renderer;
        std::string error;
        ASSERT_TRUE(renderer.Prepare(&unit, rate, channels, block, &error)) << error;
        ASSERT_EQ(unit.SetParameterValue(kGain, -6.f), noErr);
        AudioFile output;
        ASSERT_TRUE(renderer.Render(input, false, &output, &error)) << error;
        EXPECT_EQ(renderer.RenderCalls(), (1000 + block - 1) / block);
        EXPECT_EQ(output.sampleRate, rate);
        ASSERT_EQ(output.NumChannels(), channels);
        ASSERT_EQ(output.NumFrames(), 1000u);
        for (int c = 0; c < channels; ++c) {
          for (size_t i = 0; i < 1000; ++i) {
            ASSERT_NEAR(output.channels[c][i], input.channels[c][i] * gain, 1e-6) << "channel " << c << " frame " << i;
          }
        }
      }
    }
  }
}

TEST_F(TestEffectHost, BypassedRenderPassesTheInputAndEmptyInputGivesEmptyOutput)
{
  UnitRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Prepare(&unit, 48000, 2, 256, &error)) << error;
  ASSERT_EQ(unit.SetCurrentPreset({ 2, "Loud" }), noErr);
  const AudioFile input = Ramp(2, 700, 48000);
  AudioFile output;
  ASSERT_TRUE(renderer.Render(input, true, &output, &error)) << error;
  EXPECT_EQ(output.channels, input.channels);
  // and with the bypass off again, the preset's inverted +6 dB
  ASSERT_TRUE(renderer.Render(input, false, &output, &error)) << error;
  EXPECT_NEAR(output.channels[1][10], -input.channels[1][10] * std::pow(10.0, 6.0 / 20.0), 1e-5);

  AudioFile empty;
  empty.sampleRate = 48000;
  empty.Allocate(2, 0);
  ASSERT_TRUE(renderer.Render(empty, false, &output, &error)) << error;
  EXPECT_EQ(output.NumFrames(), 0u);
  EXPECT_EQ(renderer.RenderCalls(), 0u);
}

TEST_F(TestEffectHost, RenderRefusesWhatTheUnitOrTheAudioCannotDo)
{
  UnitRenderer renderer;
  std::string error;
  // the unit takes one or two channels
  EXPECT_FALSE(renderer.Prepare(&unit, 44100, 3, 512, &error));
  EXPECT_EQ(error.find("the unit does not take 3 channel(s) in and out at 44100 Hz"), 0u) << error;
  EXPECT_FALSE(renderer.Prepare(&unit, 44100, 2, 0, &error));
  EXPECT_FALSE(renderer.Prepare(&unit, 0, 2, 512, &error));
  AudioFile output;
  EXPECT_FALSE(renderer.Render(Ramp(2, 10), false, &output, &error));
  EXPECT_EQ(error, "the renderer is not prepared");
  ASSERT_TRUE(renderer.Prepare(&unit, 44100, 2, 512, &error)) << error;
  EXPECT_FALSE(renderer.Render(Ramp(1, 10), false, &output, &error));
  EXPECT_FALSE(renderer.Render(Ramp(2, 10, 48000), false, &output, &error));
  HostUnit closed;
  EXPECT_FALSE(renderer.Prepare(&closed, 44100, 2, 512, &error));
  EXPECT_EQ(error, "no audio unit is open");
}

TEST_F(TestEffectHost, CloseAndReopenLeavesAFreshUnit)
{
  UnitRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Prepare(&unit, 44100, 2, 64, &error)) << error;
  ASSERT_EQ(unit.SetParameterValue(kGain, -20.f), noErr);
  unit.Close();
  EXPECT_FALSE(unit.IsOpen());
  unit.Close();
  ASSERT_TRUE(unit.Open(listing, &error)) << error;
  EXPECT_EQ(Value(kGain), 0.f);
  ASSERT_TRUE(renderer.Prepare(&unit, 44100, 2, 64, &error)) << error;
  AudioFile output;
  const AudioFile input = Ramp(2, 100);
  ASSERT_TRUE(renderer.Render(input, false, &output, &error)) << error;
  EXPECT_EQ(output.channels, input.channels);
}

TEST_F(TestEffectHost, RenderingAFileAgainAfterReconfiguringGivesTheSameOutput)
{
  // Fault: a second file rendered from sample time 0 again came out silent at its start,
  // the unit taking the slice for one it had already pulled input for.
  const AudioFile input = Ramp(2, 300);
  AudioFile first, second;
  std::string error;
  {
    UnitRenderer renderer;
    ASSERT_TRUE(renderer.Prepare(&unit, 44100, 2, 300, &error)) << error;
    ASSERT_TRUE(renderer.Render(input, false, &first, &error)) << error;
  }
  UnitRenderer renderer;
  ASSERT_TRUE(renderer.Prepare(&unit, 44100, 2, 512, &error)) << error;
  ASSERT_TRUE(renderer.Render(input, false, &second, &error)) << error;
  EXPECT_EQ(first.channels, input.channels);
  EXPECT_EQ(second.channels, input.channels);
}
