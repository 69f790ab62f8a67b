// The factory presets and the saved parameter state.

#include "KelvoTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using kelvotest::NewKelvo;
using kelvotest::SetParam;

namespace {

const double kFinalMix2[kNumParams] = { 1, 2.4, 2.6, 0.3, 832, 0, 2.22, 0, 0.1, 0, 1, 4, -4, 0, 22 };
const double kMixExiter1[kNumParams] = { 1, 1.6, 1.8, 0.3, 3416, 0, 3.6, 0, 10.7, 1, 1, -5, 5, 0, 22 };
const double kDrumsKick[kNumParams] = { 1, 7.2, 8.9, 5.5, 3204, 0, 12, 0, 1, 0, 1, 6, -6, 30, 14.3 };

void ExpectValues(Kelvo* plug, const double* values)
{
  for (int i = 0; i < kNumParams; ++i) {
    EXPECT_EQ(plug->GetParam(i)->Value(), values[i]) << "parameter " << i;
  }
}

}  // namespace

TEST(KelvoPresets, SixSlotsInOrderEachRestoringItsValues)
{
  auto plug = NewKelvo();
  ASSERT_EQ(plug->NPresets(), 6);
  const char* names[] = { "Init", "Mix Exiter 1", "Final mix 2", "Drums - Kick", "-", "-" };
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(plug->GetPresetName(i), names[i]) << i;
  }
  EXPECT_STREQ(plug->GetPresetName(6), "");
  EXPECT_STREQ(plug->GetPresetName(-1), "");

  ASSERT_TRUE(plug->RestorePreset("Final mix 2"));
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 2);
  ExpectValues(plug.get(), kFinalMix2);
  // restoring tells the plug-in about every parameter
  EXPECT_EQ(plug->ExciterOn(), 1);
  EXPECT_EQ(plug->EQ(1).hiGain(), 0.8333 * 2.22);

  ASSERT_TRUE(plug->RestorePreset(1));
  ExpectValues(plug.get(), kMixExiter1);
  EXPECT_EQ(plug->Exciter(0).woowOn(), 1);
  ASSERT_TRUE(plug->RestorePreset("Drums - Kick"));
  ExpectValues(plug.get(), kDrumsKick);
  EXPECT_DOUBLE_EQ(plug->EQ(0).lowPassFreq(), 14300.0);
  EXPECT_EQ(plug->EQ(0).highPassFreq(), 30.0);

  // "Init" sets the lowest low-frequency set and otherwise the neutral defaults
  ASSERT_TRUE(plug->RestorePreset(0));
  EXPECT_EQ(plug->GetParam(kLowFreq)->Value(), 0.0);
  auto fresh = NewKelvo();
  for (int i = 1; i < kNumParams; ++i) {
    EXPECT_EQ(plug->GetParam(i)->Value(), fresh->GetParam(i)->Value()) << i;
  }

  // the "-" slots hold the defaults; by name the first of them is found
  ASSERT_TRUE(plug->RestorePreset("Drums - Kick"));
  ASSERT_TRUE(plug->RestorePreset(5));
  for (int i = 0; i < kNumParams; ++i) {
    EXPECT_EQ(plug->GetParam(i)->Value(), fresh->GetParam(i)->Value()) << i;
  }
  ASSERT_TRUE(plug->RestorePreset("-"));
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 4);
}

TEST(KelvoPresets, StateIsFifteenDoublesAndRoundTripsIntoAnotherInstance)
{
  auto plug = NewKelvo();
  ByteChunk chunk;
  ASSERT_TRUE(plug->SerializeParams(&chunk));
  ASSERT_EQ(chunk.Size(), static_cast<int>(kNumParams * sizeof(double)));
  double first = 0.0;
  std::memcpy(&first, chunk.GetBytes(), sizeof first);
  EXPECT_EQ(first, 1.0);  // "Low Freq." default

  ASSERT_TRUE(plug->RestorePreset("Drums - Kick"));
  ByteChunk kick;
  ASSERT_TRUE(plug->SerializeParams(&kick));
  auto other = NewKelvo();
  EXPECT_EQ(other->UnserializeParams(&kick, 0), kick.Size());
  ExpectValues(other.get(), kDrumsKick);

  // every truncation of the state: whole values are read, the rest keep their values
  auto target = NewKelvo();
  double defaults[kNumParams];
  for (int i = 0; i < kNumParams; ++i) {
    defaults[i] = target->GetParam(i)->Value();
  }
  for (int len = 0; len < kick.Size(); ++len) {
    ASSERT_TRUE(target->RestorePreset(4));
    ByteChunk part;
    part.PutBytes(kick.GetBytes(), len);
    EXPECT_EQ(target->UnserializeParams(&part, 0), -1) << len;
    int whole = len / static_cast<int>(sizeof(double));
    for (int i = 0; i < kNumParams; ++i) {
      EXPECT_EQ(target->GetParam(i)->Value(), i < whole ? kDrumsKick[i] : defaults[i])
          << len << " " << i;
    }
  }
}
