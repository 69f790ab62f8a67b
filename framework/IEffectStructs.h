#pragma once

#include "BASE_String.h"

// What the factory hands to the plug-in constructor: the identifier of the plug-in's bundle
// (for resources and the editor's view) and the class name of its Cocoa view factory.
struct IEffectInstanceInfo
{
  BASE_String mBundleID;
  BASE_String mCocoaViewFactoryClassName;
};

// A three-byte MIDI message with its offset into the current block.
struct IMidiMsg
{
  // Kinds of message: the upper four bits of the status byte.
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14,
  };

  int mOffset = 0;  // frames into the block
  unsigned char mStatus = 0;
  unsigned char mData1 = 0;
  unsigned char mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int offset, unsigned char status, unsigned char data1, unsigned char data2)
    : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  void Clear();
  // Note on, channel 1.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset);
  void MakeNoteOffMsg(int noteNumber, int offset);
  // value in [-1, 1]; 0 is the centre.
  void MakePitchWheelMsg(double value);
  // value in [0, 1].
  void MakeControlChangeMsg(int index, double value);

  // The message kind, kNone for a status outside the channel messages.
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;     // -1 unless a note message or polyphonic aftertouch
  int Velocity() const;       // -1 unless note on or off
  int Program() const;        // -1 unless program change
  double PitchWheel() const;  // [-1, 1), 0 unless pitch wheel
  double ControlChange(int index) const;  // [0, 1], -1 unless that controller
  int ControlChangeIdx() const { return mData1; }
  void LogMsg() const {}
};

// The name of a message kind ("noteon", ...), "unknown" for any other value.
const char* StatusMsgStr(int status);
