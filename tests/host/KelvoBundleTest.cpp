// The product's component bundle as the host program meets it: found in the build tree,
// opened, its presets and parameters read, audio rendered, state saved and restored, its
// editor named.

#include "EditorWindow.h"
#include "HostUnit.h"
#include "PresetFile.h"
#include "Signal.h"
#include "UnitRenderer.h"
#include "UnitSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <unistd.h>

namespace {

class KelvoBundle : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(FindAudioUnit(kKelvoType, kKelvoSubType, kKelvoManufacturer, &listing));
    std::string error;
    ASSERT_TRUE(unit.Open(listing, &error)) << error;
  }

  ComponentListing listing;
  HostUnit unit;
};

}  // namespace

TEST_F(KelvoBundle, ComesFromTheBuildTreeWithItsPresetsAndParameters)
{
  EXPECT_EQ(listing.bundlePath, std::string(KELVO_BINARY_DIR) + "/Kelvo.component");
  std::vector<UnitPreset> presets;
  ASSERT_TRUE(unit.GetFactoryPresets(&presets, nullptr));
  std::vector<std::string> names;
  for (const UnitPreset& p : presets) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{ "Init", "Mix Exiter 1", "Final mix 2", "Drums - Kick", "-", "-" }));

  std::vector<UnitParameter> parameters;
  std::string error;
  ASSERT_TRUE(unit.GetParameters(&parameters, &error)) << error;
  ASSERT_EQ(parameters.size(), 15u);
  EXPECT_EQ(parameters[0].name, "Low Freq.");
  EXPECT_EQ(parameters[0].valueStrings, (std::vector<std::string>{ "20 Hz", "30 Hz", "60 Hz", "100 Hz" }));
  EXPECT_EQ(parameters[14].name, "Low Pass");
  EXPECT_EQ(UnitLabel(parameters[4]), "Hz");
  EXPECT_EQ(unit.ValueText(14, 22), "OFF");
  // the texts a user types
  AudioUnitParameterValue v = 0;
  ASSERT_TRUE(ParseParameterValue(unit, parameters[0], "60 Hz", &v, &error)) << error;
  EXPECT_EQ(v, 2.f);
  ASSERT_TRUE(ParseParameterValue(unit, parameters[13], "OFF", &v, &error)) << error;
  EXPECT_EQ(v, 0.f);

  std::string className, bundlePath;
  ASSERT_TRUE(unit.GetCocoaViewInfo(&className, &bundlePath));
  EXPECT_EQ(className, "Kelvo_View");
  EXPECT_EQ(bundlePath, listing.bundlePath);
}

TEST_F(KelvoBundle, PresetsShapeAToneAndBypassLeavesIt)
{
  const AudioFile tone = MakeTone(44100, 2, 0.5, 50, 0.25);
  const AudioLevels in = MeasureLevels(tone);
  UnitRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Prepare(&unit, 44100, 2, 512, &error)) << error;
  for (const char* preset : { "Mix Exiter 1", "Final mix 2", "Drums - Kick" }) {
    UnitSettings settings;
    settings.preset = preset;
    ASSERT_TRUE(ApplyUnitSettings(&unit, settings, nullptr, &error)) << error;
    AudioFile out;
    ASSERT_TRUE(renderer.Render(tone, false, &out, &error)) << error;
    const AudioLevels levels = MeasureLevels(out);
    EXPECT_TRUE(std::isfinite(levels.rms)) << preset;
    // each preset changes the level of a 50 Hz tone, none silences it
    EXPECT_GT(std::fabs(LevelToDecibels(levels.rms) - LevelToDecibels(in.rms)), 0.05) << preset;
    EXPECT_GT(levels.rms, in.rms / 10) << preset;
    EXPECT_EQ(out.channels[0], out.channels[1]) << preset;
  }
  AudioFile bypassed;
  ASSERT_TRUE(renderer.Render(tone, true, &bypassed, &error)) << error;
  EXPECT_EQ(bypassed.channels, tone.channels);
}

TEST_F(KelvoBundle, SavedStateRestoresEveryParameterAndTheEditorNeedsADisplay)
{
  UnitSettings settings;
  settings.preset = "Drums - Kick";
  settings.assignments = { "Mid Gain=-4.5", "Low Freq.=100 Hz" };
  std::string error;
  ASSERT_TRUE(ApplyUnitSettings(&unit, settings, nullptr, &error)) << error;
  std::vector<float> saved(15);
  for (AudioUnitParameterID id = 0; id < 15; ++id) ASSERT_EQ(unit.GetParameterValue(id, &saved[id]), noErr);
  CFPropertyListRef classInfo = nullptr;
  ASSERT_EQ(unit.CopyClassInfo(&classInfo), noErr);
  const std::string path = std::string(::testing::TempDir()) + "/" + std::to_string(getpid()) + "_kelvo.aupreset";
  ASSERT_TRUE(WritePresetFile(path, classInfo, &error)) << error;
  CFRelease(classInfo);

  settings = UnitSettings();
  settings.preset = "Init";
  ASSERT_TRUE(ApplyUnitSettings(&unit, settings, nullptr, &error)) << error;
  settings = UnitSettings();
  settings.stateFile = path;
  ASSERT_TRUE(ApplyUnitSettings(&unit, settings, nullptr, &error)) << error;
  for (AudioUnitParameterID id = 0; id < 15; ++id) {
    AudioUnitParameterValue v = 0;
    ASSERT_EQ(unit.GetParameterValue(id, &v), noErr);
    EXPECT_EQ(v, saved[id]) << "parameter " << id;
  }
  unlink(path.c_str());

  unsetenv("DISPLAY");
  std::string message;
  EXPECT_EQ(ShowEditorWindow(unit, "Kelvo", 0.1, &message), EditorResult::kNoDisplay);
}
