#include "../base/AllocatorHook.h"
#include "TestPlug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

TEST(IEffectBase, LongNamesAreCutAndChannelConfigurationsGiveCountsAndLegalIO)
{
  std::string longName(200, 'k');
  EXPECT_EQ(std::string(127, 'k'), TestPlug(0, "1-1", 0, longName.c_str()).GetEffectName());

  TestPlug plug;
  ASSERT_EQ(2, plug.NChannelIO());
  struct { int in, out; bool legal; } rows[] = {
    { 1, 1, true }, { 2, 2, true }, { -1, 2, true }, { 1, -1, true }, { -1, -1, true },
    { 2, 1, false }, { 0, 0, false }, { -1, 3, false },
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.legal, plug.LegalIO(r.in, r.out)) << r.in << "-" << r.out;
  }
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
  for (const char* io : { "1-1 stereo", "2", "", "1-1 " }) {
    EXPECT_DEATH(TestPlug(0, io, 0), expected) << io;
  }
}

namespace {

// A plug-in with block size 8, recognisable inputs and outputs prefilled with -9.
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

  void Process(bool attachInputs = true)
  {
    double* inputs[] = { in0.data(), in1.data() };
    double* outputs[] = { out0.data(), out1.data() };
    if (attachInputs) {
      plug.AttachInputBuffers(0, 2, inputs, 8);
    }
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0, 8);
  }
};

const std::vector<double> kZeros(8, 0.0);

} // namespace

TEST(IEffectBase, UnconnectedInputsReadZerosAndRangesAreCutAtTheRecords)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(1, 100, true);  // cut to channel 1
  rig.plug.SetInputChannelConnections(5, 2, true);
  rig.plug.SetOutputChannelConnections(2, 1, true);
  for (int ch : { -1, 0, 1, 2 }) {
    EXPECT_EQ(ch == 1, rig.plug.IsInChannelConnected(ch)) << ch;
    EXPECT_FALSE(rig.plug.IsOutChannelConnected(ch)) << ch;
  }
  rig.plug.SetOutputChannelConnections(0, 2, true);
  rig.Process();  // only channel 1 is connected, so attach gives it the first pointer
  EXPECT_EQ(kZeros, rig.out0);
  EXPECT_EQ(rig.in0, rig.out1);

  // An attach range past the records takes no pointers.
  double* nothing[] = { nullptr };
  rig.plug.AttachInputBuffers(2, 1, nothing, 8);
  rig.plug.AttachOutputBuffers(3, 1, nothing);
  double* inputs[] = { rig.in1.data() };
  rig.plug.AttachInputBuffers(1, 1, inputs, 8);
  rig.Process(false);
  EXPECT_EQ(kZeros, rig.out0);
  EXPECT_EQ(rig.in1, rig.out1);
}

TEST(IEffectBase, UnconnectedOutputsAreWrittenToScratchNotTheHost)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(0, 2, true);
  rig.plug.SetOutputChannelConnections(0, 1, true);
  rig.Process();
  EXPECT_EQ(rig.in0, rig.out0);
  EXPECT_EQ(std::vector<double>(8, -9.0), rig.out1);
}

TEST(IEffectBase, SinglePrecisionReplacingAndAccumulating)
{
  Rig rig;
  rig.plug.SetInputChannelConnections(0, 2, true);
  rig.plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> fin0(8), fin1(8), fout0(8, 5.0f), fout1(8, 5.0f);
  for (int i = 0; i < 8; ++i) {
    fin0[i] = 0.1f * static_cast<float>(i + 1);
    fin1[i] = -0.25f * static_cast<float>(i);
  }
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
  rig.plug.SetBlockSize(8);  // the same size keeps the converted audio
  rig.plug.SetInputChannelConnections(1, 1, false);
  rig.Process(false);
  EXPECT_EQ(std::vector<double>(8, 0.5), rig.out0);
  EXPECT_EQ(kZeros, rig.out1);
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

TEST(IEffectBase, PassThroughSilencesOutputsBeyondTheInputs)
{
  std::vector<double> in = { 1, 2, 3, 4 }, out0(4, 9.0), out1(4, 9.0);
  double* inputs[] = { in.data(), in.data() };
  double* outputs[] = { out0.data(), out1.data() };
  // One input to two outputs, then two inputs to one output (the surplus input goes nowhere).
  for (const char* io : { "1-2", "2-1" }) {
    TestPlug plug(0, io, 0);
    plug.SetBlockSize(4);
    plug.SetInputChannelConnections(0, plug.NInChannels(), true);
    plug.SetOutputChannelConnections(0, plug.NOutChannels(), true);
    plug.AttachInputBuffers(0, plug.NInChannels(), inputs, 4);
    plug.AttachOutputBuffers(0, plug.NOutChannels(), outputs);
    plug.ProcessBuffers(0.0, 4);
    EXPECT_EQ(in, out0) << io;
    EXPECT_EQ(std::vector<double>(4, 0.0), out1) << io;
  }
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
  EXPECT_EQ(32000.0, plug.GetSamplesPerBeat());
  for (double tempo : { 0.0, -120.0 }) {
    plug.mTempo = tempo;
    EXPECT_EQ(0.0, plug.GetSamplesPerBeat()) << tempo;
  }
}

TEST(IEffectBase, ParameterFromEditorSetsInformsAndChangesUnderTheLock)
{
  TestPlug plug;
  plug.SetParameterFromGUI(kLowFreq, 0.5);
  EXPECT_EQ(2.0, plug.GetParam(kLowFreq)->Value());
  ASSERT_EQ(1u, plug.mInformed.size());
  EXPECT_EQ(std::make_pair(static_cast<int>(kLowFreq), 0.5), plug.mInformed[0]);
  EXPECT_EQ(std::vector<int>({ kLowFreq }), plug.mParamChanges);
  EXPECT_TRUE(plug.mLockHeldInParamChange);
  EXPECT_FALSE(plug.GetMutex().IsOwnedByCaller());

  plug.SetParameterFromGUI(kMidGain, 0.25);
  EXPECT_EQ(-6.0, plug.GetParam(kMidGain)->Value());
  plug.SetParameterFromGUI(99, 0.25);
  EXPECT_EQ(2u, plug.mInformed.size());

  plug.mParamChanges.clear();
  plug.OnParamReset();
  ASSERT_EQ(15u, plug.mParamChanges.size());
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(i, plug.mParamChanges[i]);
  }
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
    plug.RedrawParamControls();  // no editor: nothing to tell

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

    gui->mCalls.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(15u, gui->mCalls.size());
    EXPECT_FALSE(gui->mCalls[kMidFreq].normalized);
    EXPECT_EQ(832.0, gui->mCalls[kMidFreq].value);
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);
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
