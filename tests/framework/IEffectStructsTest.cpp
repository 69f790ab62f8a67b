#include "IEffectStructs.h"

#include <gtest/gtest.h>

TEST(IMidiMsg, NoteMessagesCarryNumberVelocityAndOffsetAndOtherFieldsReadAsAbsent)
{
  IMidiMsg msg;
  msg.MakeNoteOnMsg(60, 100, 17);
  EXPECT_EQ(144, msg.mStatus);
  EXPECT_EQ(IMidiMsg::kNoteOn, msg.StatusMsg());
  EXPECT_EQ(60, msg.NoteNumber());
  EXPECT_EQ(100, msg.Velocity());
  EXPECT_EQ(17, msg.mOffset);
  EXPECT_EQ(-1, msg.Program());
  EXPECT_EQ(0.0, msg.PitchWheel());
  EXPECT_EQ(-1.0, msg.ControlChange(60));

  msg.MakeNoteOffMsg(61, 3);
  EXPECT_EQ(128, msg.mStatus);
  EXPECT_EQ(61, msg.NoteNumber());
  EXPECT_EQ(0, msg.Velocity());
  EXPECT_EQ(3, msg.mOffset);

  IMidiMsg poly(0, 0xA2, 64, 90);
  EXPECT_EQ(IMidiMsg::kPolyAftertouch, poly.StatusMsg());
  EXPECT_EQ(64, poly.NoteNumber());
  EXPECT_EQ(-1, poly.Velocity());

  msg.Clear();
  EXPECT_EQ(0, msg.mStatus | msg.mData1 | msg.mData2 | msg.mOffset);
  EXPECT_EQ(IMidiMsg::kNone, msg.StatusMsg());
  EXPECT_EQ(-1, msg.NoteNumber());
}

TEST(IMidiMsg, PitchWheelIsFourteenBitsAroundTheCentre)
{
  struct { double value; int data1, data2; } rows[] = {
    { 1.0, 127, 127 }, { -1.0, 0, 0 }, { 0.0, 0, 64 }, { -7.0, 0, 0 }, { 1e300, 127, 127 },
  };
  IMidiMsg msg;
  for (const auto& r : rows) {
    msg.MakePitchWheelMsg(r.value);
    EXPECT_EQ(224, msg.mStatus);
    EXPECT_EQ(r.data1, msg.mData1) << r.value;
    EXPECT_EQ(r.data2, msg.mData2) << r.value;
  }
  msg.MakePitchWheelMsg(0.5);
  EXPECT_EQ(0.5, msg.PitchWheel());
  msg.MakePitchWheelMsg(-7.0);
  EXPECT_EQ(-1.0, msg.PitchWheel());
}

TEST(IMidiMsg, ControllersAndProgramChanges)
{
  IMidiMsg msg;
  msg.MakeControlChangeMsg(7, 0.5);
  EXPECT_EQ(176, msg.mStatus);
  EXPECT_EQ(7, msg.ControlChangeIdx());
  EXPECT_EQ(63, msg.mData2);
  EXPECT_EQ(63.0 / 127.0, msg.ControlChange(7));
  EXPECT_EQ(-1.0, msg.ControlChange(8));
  EXPECT_EQ(-1, msg.NoteNumber());
  msg.MakeControlChangeMsg(7, 2.0);
  EXPECT_EQ(127, msg.mData2);
  msg.MakeControlChangeMsg(7, -1.0);
  EXPECT_EQ(0, msg.mData2);

  EXPECT_EQ(12, IMidiMsg(0, 0xC0, 12, 0).Program());
  EXPECT_EQ(IMidiMsg::kNone, IMidiMsg(0, 0xF8, 0, 0).StatusMsg());
}

TEST(IMidiMsg, StatusNames)
{
  const char* names[] = { "none", "unknown", "unknown", "unknown", "unknown", "unknown",
                          "unknown", "unknown", "noteoff", "noteon", "aftertouch",
                          "controlchange", "programchange", "channelaftertouch",
                          "pitchwheel", "unknown" };
  for (int i = 0; i < 16; ++i) {
    EXPECT_STREQ(names[i], StatusMsgStr(i)) << i;
  }
  EXPECT_STREQ("unknown", StatusMsgStr(-1));
}
