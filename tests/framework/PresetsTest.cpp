#include "../base/AllocatorHook.h"
#include "TestPlug.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every parameter in index order: ints for the enums, doubles for the rest.
void MakeFlatPreset(TestPlug& plug, const char* name, double gain)
{
  plug.MakePreset(name, 2, 1.0, 2.0, gain, 1000.0, 1, -3.0, 3, 6.0, 1, 1, 0.5, -0.5, 40.0,
                  18.0);
}

// Reads a preset's stored values through a bank dump.
std::vector<std::vector<double>> StoredValues(TestPlug& plug)
{
  ByteChunk bank;
  plug.SerializePresets(&bank);
  std::vector<std::vector<double>> all;
  int pos = 0;
  for (int i = 0; i < plug.NPresets(); ++i) {
    BASE_String name;
    bool initialised = false;
    pos = bank.GetStr(&name, pos);
    pos = bank.GetBool(&initialised, pos);
    std::vector<double> v;
    if (initialised) {
      for (int p = 0; p < plug.NParams(); ++p) {
        double d;
        pos = bank.Get(&d, pos);
        v.push_back(d);
      }
    }
    all.push_back(v);
  }
  return all;
}

} // namespace

TEST(Presets, EmptySlotsAreNumberedFromOne)
{
  TestPlug plug;
  ASSERT_EQ(6, plug.NPresets());
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ("- " + std::to_string(i + 1) + " -", plug.GetPresetName(i));
  }
  EXPECT_STREQ("", plug.GetPresetName(-1));
  EXPECT_STREQ("", plug.GetPresetName(6));
}

TEST(Presets, MakePresetStoresValuesAsGivenInTheNextEmptySlot)
{
  TestPlug plug;
  MakeFlatPreset(plug, "flat", 50.0);  // outside the mid gain range
  EXPECT_STREQ("flat", plug.GetPresetName(0));
  EXPECT_STREQ("- 2 -", plug.GetPresetName(1));
  std::vector<double> expected = { 2, 1, 2, 50, 1000, 1, -3, 3, 6, 1, 1, 0.5, -0.5, 40, 18 };
  EXPECT_EQ(expected, StoredValues(plug)[0]);

  // Limited only when restored.
  EXPECT_TRUE(plug.RestorePreset(0));
  expected[kMidGain] = 12.0;
  EXPECT_EQ(expected, plug.Values());
}

TEST(Presets, DefaultPresetsFillTheRemainingSlotsAndStopQuietly)
{
  TestPlug plug;
  for (int i = 0; i < 4; ++i) {
    MakeFlatPreset(plug, ("p" + std::to_string(i)).c_str(), i);
  }
  plug.GetParam(kMidGain)->Set(3.0);
  plug.MakeDefaultPreset("-", 15);
  EXPECT_STREQ("-", plug.GetPresetName(4));
  EXPECT_STREQ("-", plug.GetPresetName(5));
  EXPECT_EQ(plug.Values(), StoredValues(plug)[5]);
  EXPECT_EQ(6, plug.NPresets());

  // Every slot is taken: the making operations do nothing.
  MakeFlatPreset(plug, "late", 1.0);
  plug.MakePresetFromNamedParams("late", 0);
  plug.MakeDefaultPreset();
  for (int i = 0; i < 6; ++i) {
    EXPECT_STRNE("late", plug.GetPresetName(i));
    EXPECT_STRNE("Default", plug.GetPresetName(i));
  }

  TestPlug unnamed(2);
  unnamed.MakeDefaultPreset();
  EXPECT_STREQ("Default", unnamed.GetPresetName(0));
  EXPECT_STREQ("- 2 -", unnamed.GetPresetName(1));
}

TEST(Presets, NamedParamsOverrideAndTheRestTakeCurrentValues)
{
  TestPlug plug;
  plug.GetParam(kHiGain)->Set(-2.0);
  plug.MakePresetFromNamedParams("named", 3, kLowFreq, 3, kMidGain, 4.5, kLSOnOff, 1);
  std::vector<double> expected = plug.Values();
  expected[kLowFreq] = 3;
  expected[kMidGain] = 4.5;
  expected[kLSOnOff] = 1;
  EXPECT_EQ(expected, StoredValues(plug)[0]);
  EXPECT_STREQ("named", plug.GetPresetName(0));

  // A named value equal to the marker counts as not named.
  plug.MakePresetFromNamedParams("marker", 1, kMidGain, 9.999e-08);
  EXPECT_EQ(plug.GetParam(kMidGain)->Value(), StoredValues(plug)[1][kMidGain]);
}

TEST(PresetsDeathTest, NamedParamOutsideTheParametersIsFatal)
{
  TestPlug plug;
  const char* expected =
      "^framework/IEffectBase:[0-9]+: failed assertion `paramIdx >= 0 && paramIdx < n'\n$";
  EXPECT_DEATH(plug.MakePresetFromNamedParams("bad", 1, 15, 1.0), expected);
  EXPECT_DEATH(plug.MakePresetFromNamedParams("bad", 1, -1, 1.0), expected);
}

TEST(Presets, RestoreByIndexSetsEveryParameterAndTheCurrentIndex)
{
  TestPlug plug;
  MakeFlatPreset(plug, "a", 1.0);
  MakeFlatPreset(plug, "b", 2.0);
  MakeFlatPreset(plug, "c", -7.0);
  TestGraphics* gui = new TestGraphics;
  plug.AttachGraphics(gui);
  gui->mCalls.clear();
  plug.mParamChanges.clear();

  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_EQ(2, plug.GetCurrentPresetIdx());
  EXPECT_EQ(-7.0, plug.GetParam(kMidGain)->Value());
  EXPECT_EQ(15u, plug.mParamChanges.size());
  ASSERT_EQ(15u, gui->mCalls.size());
  EXPECT_EQ(-7.0, gui->mCalls[kMidGain].value);
  EXPECT_FALSE(gui->mCalls[kMidGain].normalized);

  EXPECT_FALSE(plug.RestorePreset(6));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_EQ(2, plug.GetCurrentPresetIdx());
}

TEST(Presets, RestoreByNameIsExactAndFailsWithoutChange)
{
  TestPlug plug;
  MakeFlatPreset(plug, "Warm", 1.0);
  MakeFlatPreset(plug, "Bright", 2.0);
  plug.mParamChanges.clear();
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(plug.RestorePreset("bright"));
  EXPECT_FALSE(plug.RestorePreset("Brigh"));
  EXPECT_TRUE(plug.mParamChanges.empty());
  EXPECT_EQ(0, plug.GetCurrentPresetIdx());
  EXPECT_EQ(0.0, plug.GetParam(kMidGain)->Value());

  EXPECT_TRUE(plug.RestorePreset("Bright"));
  EXPECT_EQ(1, plug.GetCurrentPresetIdx());
  EXPECT_EQ(2.0, plug.GetParam(kMidGain)->Value());
}

TEST(Presets, RestoringAnEmptySlotStoresTheCurrentSoundAsNextUserPreset)
{
  TestPlug plug;
  plug.MakeDefaultPreset("my user preset", 1);
  plug.MakeDefaultPreset("user preset 1", 1);
  plug.GetParam(kHiGain)->Set(5.5);
  plug.mParamChanges.clear();
  EXPECT_TRUE(plug.RestorePreset(3));
  EXPECT_STREQ("user preset 3", plug.GetPresetName(3));
  EXPECT_EQ(3, plug.GetCurrentPresetIdx());
  EXPECT_EQ(plug.Values(), StoredValues(plug)[3]);
  EXPECT_TRUE(plug.mParamChanges.empty());
  EXPECT_STREQ("- 3 -", plug.GetPresetName(2));

  char name[IPreset::kNameBytes];
  TestPlug::MakeDefaultUserPresetName(nullptr, name);
  EXPECT_STREQ("user preset 1", name);
}

TEST(Presets, PruneRemovesEmptySlotsKeepingOrder)
{
  TestPlug plug;
  MakeFlatPreset(plug, "a", 1.0);
  MakeFlatPreset(plug, "b", 2.0);
  plug.RestorePreset(4);  // becomes a user preset
  plug.PruneUninitializedPresets();
  ASSERT_EQ(3, plug.NPresets());
  EXPECT_STREQ("a", plug.GetPresetName(0));
  EXPECT_STREQ("b", plug.GetPresetName(1));
  EXPECT_STREQ("user preset 1", plug.GetPresetName(2));

  TestPlug none(0);
  none.GetParam(kMidGain)->Set(1.5);
  none.EnsureDefaultPreset();
  ASSERT_EQ(1, none.NPresets());
  EXPECT_STREQ("Default", none.GetPresetName(0));
  EXPECT_EQ(none.Values(), StoredValues(none)[0]);
  none.EnsureDefaultPreset();
  EXPECT_EQ(1, none.NPresets());
}

TEST(Presets, ModifyCurrentPresetRewritesValuesAndOptionallyRenames)
{
  TestPlug plug;
  MakeFlatPreset(plug, "a", 1.0);
  MakeFlatPreset(plug, "b", 2.0);
  plug.RestorePreset(1);
  plug.GetParam(kMidGain)->Set(-4.0);
  plug.ModifyCurrentPreset();
  EXPECT_STREQ("b", plug.GetPresetName(1));
  EXPECT_EQ(-4.0, StoredValues(plug)[1][kMidGain]);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ("b", plug.GetPresetName(1));
  plug.ModifyCurrentPreset("renamed");
  EXPECT_STREQ("renamed", plug.GetPresetName(1));
  EXPECT_EQ(1.0, StoredValues(plug)[0][kMidGain]);

  // Names are cut to 255 characters.
  std::string longName(300, 'n');
  plug.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::string(255, 'n'), plug.GetPresetName(1));
}

TEST(Presets, RenamingToItsOwnNameKeepsIt)
{
  // Fault: a preset given its own name (or the tail of it) as new name was left unnamed.
  TestPlug plug;
  MakeFlatPreset(plug, "user preset 12", 1.0);
  plug.ModifyCurrentPreset(plug.GetPresetName(0));
  EXPECT_STREQ("user preset 12", plug.GetPresetName(0));
  plug.ModifyCurrentPreset(plug.GetPresetName(0) + 5);
  EXPECT_STREQ("preset 12", plug.GetPresetName(0));
}

TEST(Presets, BankRoundTripRestoresNamesFlagsValuesAndCurrentPreset)
{
  TestPlug source;
  MakeFlatPreset(source, "a", 1.0);
  MakeFlatPreset(source, "b", 50.0);  // a value beyond the range
  source.MakeDefaultPreset("c", 1);
  ByteChunk bank;
  ASSERT_TRUE(source.SerializePresets(&bank));
  // Per preset: name length, name, flag, and values when initialised.
  EXPECT_EQ(3 * (4 + 1 + 1 + 120) + 3 * (4 + 5 + 1),
            bank.Size());

  TestPlug target;
  target.MakeDefaultPreset("old", 6);
  EXPECT_EQ(bank.Size(), target.UnserializePresets(&bank, 0));
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(source.GetPresetName(i), target.GetPresetName(i)) << i;
  }
  std::vector<std::vector<double>> stored = StoredValues(target);
  std::vector<std::vector<double>> original = StoredValues(source);
  EXPECT_EQ(original[0], stored[0]);
  EXPECT_EQ(12.0, stored[1][kMidGain]);  // held limited to the range once read
  EXPECT_EQ(original[2], stored[2]);
  EXPECT_TRUE(stored[3].empty());
  // The current preset (0) is what the live parameters hold.
  EXPECT_EQ(original[0], target.Values());
}

TEST(Presets, BankThatCannotGrowIsReportedAsFailed)
{
  // Fault: a bank of empty slots whose names and flags could not be written reported success.
  TestPlug plug;
  ByteChunk bank;
  {
    AllocatorHook hook(true, true);
    EXPECT_FALSE(plug.SerializePresets(&bank));
  }
  EXPECT_EQ(0, bank.Size());
  EXPECT_TRUE(plug.SerializePresets(&bank));
  EXPECT_EQ(6 * (4 + 5 + 1), bank.Size());
}

TEST(Presets, EmptyPresetNameSurvivesTheBankRoundTrip)
{
  // Fault: a preset with an empty name took the name of the preset before it.
  TestPlug source;
  MakeFlatPreset(source, "named", 1.0);
  MakeFlatPreset(source, "", 2.0);
  ByteChunk bank;
  source.SerializePresets(&bank);
  TestPlug target;
  target.UnserializePresets(&bank, 0);
  EXPECT_STREQ("named", target.GetPresetName(0));
  EXPECT_STREQ("", target.GetPresetName(1));
}

TEST(Presets, TruncatedBankStopsWithoutGarblingNames)
{
  TestPlug source;
  MakeFlatPreset(source, "first", 1.0);
  MakeFlatPreset(source, "second", 2.0);
  ByteChunk bank;
  source.SerializePresets(&bank);
  for (int length = 0; length < bank.Size(); ++length) {
    ByteChunk truncated;
    truncated.PutBytes(bank.GetBytes(), length);
    TestPlug target;
    EXPECT_EQ(-1, target.UnserializePresets(&truncated, 0)) << length;
    for (int i = 0; i < 6; ++i) {
      std::string name = target.GetPresetName(i);
      std::string fresh = "- " + std::to_string(i + 1) + " -";
      // The current slot, when the bank left it empty, takes the live values as a user preset.
      bool current = i == 0 && name == "user preset 1";
      EXPECT_TRUE(name == source.GetPresetName(i) || name == fresh || current)
          << length << " " << i;
    }
  }
}

TEST(Presets, DumpWritesTheNamedParamsCallOncePerProcess)
{
  TestPlug plug(0, "1-1", 4);
  plug.GetParam(0)->InitDouble("a", 0.5, 0.0, 1.0, 0.01, "");
  plug.GetParam(1)->InitEnum("b", 2, 4);
  plug.GetParam(2)->InitBool("c", true);
  plug.GetParam(3)->InitInt("d", 7, 0, 9);
  const char* names[] = { "kA", "kB", "kC", "kD" };
  std::string path = std::string(KELVO_BINARY_DIR) + "/preset_dump_test.txt";

  EXPECT_FALSE(plug.DumpPresetSrcCode("/nonexistent-dir/x.txt", names));
  ASSERT_TRUE(plug.DumpPresetSrcCode(path.c_str(), names));
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ("  MakePresetFromNamedParams(\"name\", 3,\n"
            "    kA, 0.50,\n"
            "    kB, 2,\n"
            "    kC, true);\n",
            text.str());

  // Later calls, from any instance, do nothing.
  std::remove(path.c_str());
  TestPlug other(0, "1-1", 4);
  EXPECT_FALSE(other.DumpPresetSrcCode(path.c_str(), names));
  EXPECT_FALSE(std::ifstream(path).good());
}
