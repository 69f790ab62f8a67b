#include "IEffectStructs.h"

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset)
{
  mStatus = kNoteOn << 4;
  mData1 = static_cast<unsigned char>(noteNumber);
  mData2 = static_cast<unsigned char>(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset)
{
  mStatus = kNoteOff << 4;
  mData1 = static_cast<unsigned char>(noteNumber);
  mData2 = 0;
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value)
{
  mStatus = kPitchWheel << 4;
  mOffset = 0;
  // 14-bit wheel position centred on 8192; values beyond the range saturate.
  double scaled = value * 8192.0;
  int i = scaled >= 16384.0 ? 16384 : (scaled > -16384.0 ? static_cast<int>(scaled) : -16384);
  i += 8192;
  i = i < 0 ? 0 : i > 16383 ? 16383 : i;
  mData1 = static_cast<unsigned char>(i & 127);
  mData2 = static_cast<unsigned char>(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(int index, double value)
{
  mStatus = kControlChange << 4;
  mOffset = 0;
  mData1 = static_cast<unsigned char>(index);
  // value * 127 truncated; values beyond [0, 1] saturate instead of wrapping.
  double scaled = value * 127.0;
  int i = scaled >= 127.0 ? 127 : (scaled > 0.0 ? static_cast<int>(scaled) : 0);
  mData2 = static_cast<unsigned char>(i);
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  unsigned int kind = mStatus >> 4;
  if (kind >= kNoteOff && kind <= kPitchWheel) {
    return static_cast<EStatusMsg>(kind);
  }
  return kNone;
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg()) {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch:
      return mData1;
    default:
      return -1;
  }
}

int IMidiMsg::Velocity() const
{
  switch (StatusMsg()) {
    case kNoteOff:
    case kNoteOn:
      return mData2;
    default:
      return -1;
  }
}

int IMidiMsg::Program() const
{
  return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) {
    return 0.0;
  }
  // (position - centre) / 8192
  return (mData2 * 128 + mData1 - 8192) * 0.0001220703125;
}

double IMidiMsg::ControlChange(int index) const
{
  if (StatusMsg() == kControlChange && mData1 == index) {
    return mData2 / 127.0;
  }
  return -1.0;
}

const char* StatusMsgStr(int status)
{
  switch (status) {
    case IMidiMsg::kNone: return "none";
    case IMidiMsg::kNoteOff: return "noteoff";
    case IMidiMsg::kNoteOn: return "noteon";
    case IMidiMsg::kPolyAftertouch: return "aftertouch";
    case IMidiMsg::kControlChange: return "controlchange";
    case IMidiMsg::kProgramChange: return "programchange";
    case IMidiMsg::kChannelAftertouch: return "channelaftertouch";
    case IMidiMsg::kPitchWheel: return "pitchwheel";
    default: return "unknown";
  }
}
