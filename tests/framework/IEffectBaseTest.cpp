#include "../base/AllocatorHook.h"
#include "TestPlug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

TEST(IEffectBase, ConstructorKeepsIdentityAndCutsLongNames)
{
  TestPlug plug;
  EXPECT_STREQ("Kelvo", plug.GetEffectName());
  EXPECT_STREQ("Brantel", plug.GetMfrName());
  EXPECT_EQ(0x4B766C6F, plug.GetUniqueID());
  EXPECT_EQ(10101, plug.GetEffectVersion(true));
  char version[32];
  plug.GetEffectVersionStr(version);
  EXPECT_STREQ("v1.01", version);
  EXPECT_EQ(-1, plug.GetHost());
  EXPECT_EQ(44100.0, plug.GetSampleRate());
  EXPECT_EQ(15, plug.NParams());
  EXPECT_EQ(6, plug.NPresets());

  std::string longName(200, 'k');
  TestPlug unnamed(0, "1-1", 0, longName.c_str());
  EXPECT_EQ(std::string(127, 'k'), unnamed.GetEffectName());
  EXPECT_EQ(0, unnamed.NParams());
}

TEST(IEffectBase, ChannelConfigurationsGiveRecordCountsAndLegalIO)
{
  TestPlug plug;
  ASSERT_EQ(2, plug.NChannelIO());
  EXPECT_EQ(1, plug.GetChannelIO(0)->mIn);
  EXPECT_EQ(1, plug.GetChannelIO(0)->mOut);
  EXPECT_EQ(2, plug.GetChannelIO(1)->mIn);
  EXPECT_EQ(2, plug.GetChannelIO(1)->mOut);
  EXPECT_EQ(2, plug.NInChannels());
  EXPECT_EQ(2, plug.NOutChannels());
  EXPECT_TRUE(plug.LegalIO(1, 1));
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_TRUE(plug.LegalIO(-1, 2));
  EXPECT_TRUE(plug.LegalIO(1, -1));
  EXPECT_TRUE(plug.LegalIO(-1, -1));
  EXPECT_FALSE(plug.LegalIO(2, 1));
  EXPECT_FALSE(plug.LegalIO(0, 0));
  EXPECT_FALSE(plug.LegalIO(-1, 3));

  TestPlug uneven(0, "0-2 1-2 4-6", 0);
  EXPECT_EQ(3, uneven.NChannelIO());
  EXPECT_EQ(4, uneven.NInChannels());
  EXPECT_EQ(6, uneven.NOutChannels());
  EXPECT_TRUE(uneven.LegalIO(0, 2));
  EXPECT_FALSE(uneven.LegalIO(0, 6));
}

TEST(IEffectBaseDeathTest, MalformedChannelConfigurationIsFatal)
{
  const char* expected =
      "^framework/IEffectBase:[0-9]+: failed assertion "
      "`sscanf\\(channelIOStr, \"%d-%d\", &nIn, &nOut\\) == 2'\n$";
  EXPECT_DEATH(TestPlug(0, "1-1 stereo", 0), expected);
  EXPECT_DEATH(TestPlug(0, "2", 0), expected);
  EXPECT_DEATH(TestPlug(0, "", 0), expected);
  EXPECT_DEATH(TestPlug(0, "1-1 ", 0), expected);
}

namespace {

// A plug-in with block size 8 and recognisable input samples.
struct Rig
{
  TestPlug plug;
  std::vector<double> in0 = std::vector<double>(8), in1 = std::vector<double>(8);
  std::vector<double> out0 = std::vector<double>(8, -9.0), out1 = std::vector<double>(8, -9.0);

  Rig()
  {
    plug.SetBlockSize(8);
    for (int i = 0; i < 8; ++i) {
      in0[i] = 0.1 * (i + 1);
      in1[i] = -0.01 * (i + 1);
    }
  }
};

} // namespace

TEST(IEffectBase, UnconnectedInputsReadZerosAndAttachSkipsThem)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(0, 2, false);
  rig.plug.SetInputChannelConnections(1, 1, true);
  rig.plug.SetOutputChannelConnections(0, 2, true);
  EXPECT_FALSE(rig.plug.IsInChannelConnected(0));
  EXPECT_TRUE(rig.plug.IsInChannelConnected(1));
  EXPECT_FALSE(rig.plug.IsInChannelConnected(2));
  EXPECT_FALSE(rig.plug.IsInChannelConnected(-1));

  // Only channel 1 is connected, so it takes the first pointer.
  double* inputs[] = { rig.in0.data(), rig.in1.data() };
  rig.plug.AttachInputBuffers(0, 2, inputs, 8);
  double* outputs[] = { rig.out0.data(), rig.out1.data() };
  rig.plug.AttachOutputBuffers(0, 2, outputs);
  rig.plug.ProcessBuffers(0.0, 8);
  EXPECT_EQ(std::vector<double>(8, 0.0), rig.out0);
  EXPECT_EQ(rig.in0, rig.out1);
}

TEST(IEffectBase, ChannelRangesAreCutAtTheRecords)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(1, 100, true);
  EXPECT_FALSE(rig.plug.IsInChannelConnected(0));
  EXPECT_TRUE(rig.plug.IsInChannelConnected(1));
  rig.plug.SetInputChannelConnections(5, 2, true);
  rig.plug.SetOutputChannelConnections(2, 1, true);
  EXPECT_FALSE(rig.plug.IsOutChannelConnected(2));
  EXPECT_FALSE(rig.plug.IsOutChannelConnected(0));
  rig.plug.SetOutputChannelConnections(0, 2, true);

  // An attach range past the records takes no pointers.
  double* nothing[] = { nullptr };
  rig.plug.AttachInputBuffers(2, 1, nothing, 8);
  rig.plug.AttachOutputBuffers(3, 1, nothing);
  double* inputs[] = { rig.in1.data() };
  rig.plug.AttachInputBuffers(1, 1, inputs, 8);
  double* outputs[] = { rig.out0.data(), rig.out1.data() };
  rig.plug.AttachOutputBuffers(0, 2, outputs);
  rig.plug.ProcessBuffers(0.0, 8);
  EXPECT_EQ(std::vector<double>(8, 0.0), rig.out0);
  EXPECT_EQ(rig.in1, rig.out1);
}

TEST(IEffectBase, UnconnectedOutputsAreWrittenToScratchNotTheHost)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(0, 2, true);
  rig.plug.SetOutputChannelConnections(0, 1, true);
  double* inputs[] = { rig.in0.data(), rig.in1.data() };
  rig.plug.AttachInputBuffers(0, 2, inputs, 8);
  double* outputs[] = { rig.out0.data(), rig.out1.data() };
  rig.plug.AttachOutputBuffers(0, 2, outputs);
  rig.plug.ProcessBuffers(0.0, 8);
  EXPECT_EQ(rig.in0, rig.out0);
  EXPECT_EQ(std::vector<double>(8, -9.0), rig.out1);
}

TEST(IEffectBase, SinglePrecisionReplacingAndAccumulating)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(0, 2, true);
  rig.plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> fin0(8), fin1(8);
  for (int i = 0; i < 8; ++i) {
    fin0[i] = 0.1f * static_cast<float>(i + 1);
    fin1[i] = -0.25f * static_cast<float>(i);
  }
  std::vector<float> fout0(8, 5.0f), fout1(8, 5.0f);
  float* inputs[] = { fin0.data(), fin1.data() };
  float* outputs[] = { fout0.data(), fout1.data() };

  rig.plug.AttachInputBuffers(0, 2, inputs, 8);
  rig.plug.AttachOutputBuffers(0, 2, outputs);
  rig.plug.ProcessBuffers(0.0f, 8);
  EXPECT_EQ(fin0, fout0);
  EXPECT_EQ(fin1, fout1);

  rig.plug.AttachInputBuffers(0, 2, inputs, 8);
  rig.plug.AttachOutputBuffers(0, 2, outputs);
  rig.plug.ProcessBuffersAccumulating(0.0f, 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(fin0[i] + fin0[i], fout0[i]);
    EXPECT_EQ(fin1[i] + fin1[i], fout1[i]);
  }

  // Only nFrames samples are converted.
  std::vector<float> fresh(8, 7.0f);
  float* freshOut[] = { fresh.data(), fresh.data() };
  rig.plug.AttachInputBuffers(0, 2, inputs, 8);
  rig.plug.AttachOutputBuffers(0, 1, freshOut);
  rig.plug.ProcessBuffers(0.0f, 3);
  EXPECT_EQ(fin0[2], fresh[2]);
  EXPECT_EQ(7.0f, fresh[3]);
}

TEST(IEffectBase, DisconnectedInputIsSilentEvenAfterCarryingConvertedAudio)
{
  // Fault: an input that had received converted audio kept it after being disconnected.
  Rig rig;
  rig.plug.SetInputChannelConnections(0, 2, true);
  rig.plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> fin(8, 0.5f);
  float* inputs[] = { fin.data(), fin.data() };
  rig.plug.AttachInputBuffers(0, 2, inputs, 8);
  rig.plug.SetInputChannelConnections(1, 1, false);
  double* outputs[] = { rig.out0.data(), rig.out1.data() };
  rig.plug.AttachOutputBuffers(0, 2, outputs);
  rig.plug.ProcessBuffers(0.0, 8);
  EXPECT_EQ(std::vector<double>(8, 0.5), rig.out0);
  EXPECT_EQ(std::vector<double>(8, 0.0), rig.out1);
}

TEST(IEffectBase, BlockSizeChangeClearsScratchAndKeepsUnconnectedSlotsValid)
{
  // Fault: a block size change moved the scratch buffers under the unconnected channels.
  TestPlug plug;
  plug.SetInputChannelConnections(0, 2, false);
  plug.SetOutputChannelConnections(0, 2, true);
  for (int blockSize : { 1, 7, 512, 4096, 4097, 3 }) {
    plug.SetBlockSize(blockSize);
    EXPECT_EQ(blockSize, plug.GetBlockSize());
    std::vector<double> out0(blockSize, -1.0), out1(blockSize, -1.0);
    double* outputs[] = { out0.data(), out1.data() };
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0, blockSize);
    EXPECT_EQ(std::vector<double>(blockSize, 0.0), out0) << blockSize;
    EXPECT_EQ(std::vector<double>(blockSize, 0.0), out1) << blockSize;
  }
  plug.SetBlockSize(0);
  plug.ProcessBuffers(0.0, 0);
}

TEST(IEffectBase, BlockSizeThatCannotBeAllocatedIsNotAdopted)
{
  // Fault: the block size was stored even when the scratch buffers could not grow to it.
  TestPlug plug;
  plug.SetBlockSize(8);
  {
    AllocatorHook hook(true, true);
    plug.SetBlockSize(100000);
  }
  EXPECT_EQ(8, plug.GetBlockSize());
  plug.SetBlockSize(100000);
  EXPECT_EQ(100000, plug.GetBlockSize());
}

TEST(IEffectBase, SameBlockSizeKeepsScratchContents)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(0, 1, true);
  rig.plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> fin(8, 0.75f);
  float* inputs[] = { fin.data() };
  rig.plug.AttachInputBuffers(0, 1, inputs, 8);
  rig.plug.SetBlockSize(8);
  double* outputs[] = { rig.out0.data(), rig.out1.data() };
  rig.plug.AttachOutputBuffers(0, 2, outputs);
  rig.plug.ProcessBuffers(0.0, 8);
  EXPECT_EQ(std::vector<double>(8, 0.75), rig.out0);

  rig.plug.AttachInputBuffers(0, 1, inputs, 8);
  rig.plug.SetBlockSize(16);
  std::vector<double> out0(16, -1.0), out1(16, -1.0);
  double* outputs16[] = { out0.data(), out1.data() };
  rig.plug.AttachOutputBuffers(0, 2, outputs16);
  rig.plug.ProcessBuffers(0.0, 16);
  EXPECT_EQ(std::vector<double>(16, 0.0), out0);
}

TEST(IEffectBase, PassThroughSilencesOutputsBeyondTheInputs)
{
  TestPlug plug(0, "1-2", 0);
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<double> in = { 1, 2, 3, 4 };
  std::vector<double> out0(4, 9.0), out1(4, 9.0);
  double* inputs[] = { in.data() };
  double* outputs[] = { out0.data(), out1.data() };
  plug.AttachInputBuffers(0, 1, inputs, 4);
  plug.AttachOutputBuffers(0, 2, outputs);
  plug.ProcessBuffers(0.0, 4);
  EXPECT_EQ(in, out0);
  EXPECT_EQ(std::vector<double>(4, 0.0), out1);

  // More inputs than outputs: the surplus input goes nowhere.
  TestPlug wide(0, "2-1", 0);
  wide.SetBlockSize(4);
  wide.SetInputChannelConnections(0, 2, true);
  wide.SetOutputChannelConnections(0, 1, true);
  double* twoInputs[] = { in.data(), in.data() };
  wide.AttachInputBuffers(0, 2, twoInputs, 4);
  wide.AttachOutputBuffers(0, 1, outputs);
  wide.ProcessBuffers(0.0, 4);
  EXPECT_EQ(in, out0);
}

TEST(IEffectBase, LimitToStereoDisconnectsExtraInputsAndConnectsExtraOutputs)
{
  TestPlug plug(0, "4-4", 0);
  plug.SetInputChannelConnections(0, 4, true);
  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(3));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  EXPECT_TRUE(plug.IsOutChannelConnected(2));
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
}

TEST(IEffectBase, SamplesPerBeatNeedsPositiveTempo)
{
  TestPlug plug;
  EXPECT_EQ(22050.0, plug.GetSamplesPerBeat());
  plug.SetSampleRate(48000.0);
  plug.mTempo = 90.0;
  EXPECT_EQ(60.0 * 48000.0 / 90.0, plug.GetSamplesPerBeat());
  plug.mTempo = 0.0;
  EXPECT_EQ(0.0, plug.GetSamplesPerBeat());
  plug.mTempo = -120.0;
  EXPECT_EQ(0.0, plug.GetSamplesPerBeat());
}

TEST(IEffectBase, ParameterFromEditorSetsInformsAndChangesUnderTheLock)
{
  TestPlug plug;
  plug.SetParameterFromGUI(kLowFreq, 0.5);
  EXPECT_EQ(2.0, plug.GetParam(kLowFreq)->Value());
  ASSERT_EQ(1u, plug.mInformed.size());
  EXPECT_EQ(kLowFreq, plug.mInformed[0].first);
  EXPECT_EQ(0.5, plug.mInformed[0].second);
  EXPECT_EQ(std::vector<int>({ kLowFreq }), plug.mParamChanges);
  EXPECT_TRUE(plug.mLockHeldInParamChange);
  EXPECT_FALSE(plug.GetMutex().IsOwnedByCaller());

  plug.SetParameterFromGUI(kMidGain, 0.25);
  EXPECT_EQ(-6.0, plug.GetParam(kMidGain)->Value());
  plug.SetParameterFromGUI(99, 0.25);
  EXPECT_EQ(2u, plug.mInformed.size());

  plug.mParamChanges.clear();
  plug.OnParamReset();
  std::vector<int> all;
  for (int i = 0; i < 15; ++i) {
    all.push_back(i);
  }
  EXPECT_EQ(all, plug.mParamChanges);
}

TEST(IEffectBase, EditorParameterChangeWaitsForAnotherThreadHoldingTheLock)
{
  TestPlug plug;
  std::atomic<bool> done(false);
  plug.GetMutex().Enter();
  std::thread editor([&] {
    plug.SetParameterFromGUI(kMidQ, 1.0);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(done);
  EXPECT_EQ(0.0, plug.GetParam(kMidQ)->Value());
  plug.GetMutex().Leave();
  editor.join();
  EXPECT_EQ(1.0, plug.GetParam(kMidQ)->Value());
}

TEST(IEffectBase, AttachGraphicsPassesNormalisedValuesThenPrepDrawAndOwnsEditor)
{
  bool deleted = false;
  {
    TestPlug plug;
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(nullptr, plug.GetGUI());

    TestGraphics* gui = new TestGraphics(&deleted);
    plug.AttachGraphics(gui);
    EXPECT_EQ(gui, plug.GetGUI());
    ASSERT_EQ(15u, gui->mCalls.size());
    EXPECT_EQ(15, gui->mPrepDrawAfter);
    for (int i = 0; i < 15; ++i) {
      EXPECT_EQ(i, gui->mCalls[i].paramIdx);
      EXPECT_TRUE(gui->mCalls[i].normalized);
      EXPECT_EQ(plug.GetParam(i)->GetNormalized(), gui->mCalls[i].value);
    }
    EXPECT_EQ(1.0 / 3.0, gui->mCalls[kLowFreq].value);
    EXPECT_EQ(1.0, gui->mCalls[kLowPass].value);

    gui->mCalls.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(15u, gui->mCalls.size());
    EXPECT_FALSE(gui->mCalls[kMidFreq].normalized);
    EXPECT_EQ(832.0, gui->mCalls[kMidFreq].value);
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);

  TestPlug noEditor;
  noEditor.RedrawParamControls();
}

TEST(IEffectBase, MidiGoesToSendAndNoteNamesAreEmpty)
{
  TestPlug plug;
  IMidiMsg msg;
  msg.MakeNoteOnMsg(60, 100, 5);
  plug.ProcessMidiMsg(&msg);
  ASSERT_EQ(1u, plug.mSentMidi.size());
  EXPECT_EQ(60, plug.mSentMidi[0].NoteNumber());
  EXPECT_EQ(5, plug.mSentMidi[0].mOffset);
  char name[32] = "x";
  EXPECT_FALSE(plug.MidiNoteName(60, name));
  EXPECT_STREQ("", name);
}
