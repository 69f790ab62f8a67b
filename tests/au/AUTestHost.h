#pragma once

// What the adapter's suites share: opening the test effect through the Component Manager,
// stream formats, time stamps, buffer lists and an input source for render callbacks.

#include <AudioToolbox/AudioToolbox.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace autest {

constexpr OSType kSubtype = 0x54736678;       // 'Tsfx'
constexpr OSType kManufacturer = 0x4B6C7654;  // 'KlvT'

// The test effect's parameters.
enum { kGain = 0, kMode, kInvert, kLatency, kTempo, kSamplePos, kTimeSigNum, kTimeSigDen, kNumParams };

inline Component FindTestEffect(OSType type = kAudioUnitType_Effect)
{
  ComponentDescription cd = { type, kSubtype, kManufacturer, 0, 0 };
  return FindNextComponent(nullptr, &cd);
}

inline AudioUnit OpenTestEffect()
{
  AudioUnit unit = nullptr;
  EXPECT_EQ(OpenAComponent(FindTestEffect(), &unit), noErr);
  return unit;
}

inline AudioStreamBasicDescription Format(UInt32 channels, Float64 rate = 44100.0)
{
  AudioStreamBasicDescription f{};
  f.mSampleRate = rate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = f.mBytesPerFrame = 4;
  f.mFramesPerPacket = 1;
  f.mChannelsPerFrame = channels;
  f.mBitsPerChannel = 32;
  return f;
}

inline OSStatus SetFormat(AudioUnit unit, AudioUnitScope scope, UInt32 channels, Float64 rate = 44100.0,
                          AudioUnitElement element = 0)
{
  AudioStreamBasicDescription f = Format(channels, rate);
  return AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, element, &f, sizeof f);
}

inline AudioTimeStamp Stamp(Float64 sampleTime)
{
  AudioTimeStamp ts{};
  ts.mSampleTime = sampleTime;
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  return ts;
}

// A buffer list with room for up to 8 buffers, each with its own storage.
struct Buffers
{
  Buffers(UInt32 nBuffers, UInt32 nFrames, float fill = 0.f) : storage(nBuffers, std::vector<float>(nFrames, fill))
  {
    list.mNumberBuffers = nBuffers;
    for (UInt32 i = 0; i < nBuffers; ++i) {
      list.mBuffers[i].mNumberChannels = 1;
      list.mBuffers[i].mDataByteSize = nFrames * sizeof(float);
      list.mBuffers[i].mData = nFrames ? storage[i].data() : nullptr;
    }
  }
  AudioBufferList* Get() { return reinterpret_cast<AudioBufferList*>(&list); }
  float* Data(UInt32 i) { return static_cast<float*>(list.mBuffers[i].mData); }

  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[8];
  } list{};
  std::vector<std::vector<float>> storage;
};

// A render callback that writes sample (start + i) * 0.001 * (channel + 1) into every
// buffer it is given, counting its calls; it fails with `failWith` when that is not noErr.
struct Source
{
  int calls = 0;
  OSStatus failWith = noErr;
  std::vector<UInt32> busesAsked;
  bool fillNullBuffers = false;  // write into own storage when the buffer has no data pointer
  std::vector<std::vector<float>> own;

  static float Sample(Float64 sampleTime, UInt32 i, UInt32 channel)
  {
    return static_cast<float>((sampleTime + i) * 0.001 * (channel + 1));
  }

  static OSStatus Render(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32 bus,
                         UInt32 nFrames, AudioBufferList* io)
  {
    Source* s = static_cast<Source*>(refCon);
    ++s->calls;
    s->busesAsked.push_back(bus);
    if (s->failWith != noErr) {
      return s->failWith;
    }
    s->own.resize(io->mNumberBuffers);
    for (UInt32 c = 0; c < io->mNumberBuffers; ++c) {
      if (!io->mBuffers[c].mData) {
        if (!s->fillNullBuffers) {
          continue;
        }
        s->own[c].assign(nFrames, 0.f);
        io->mBuffers[c].mData = s->own[c].data();
      }
      float* d = static_cast<float*>(io->mBuffers[c].mData);
      for (UInt32 i = 0; i < nFrames; ++i) {
        d[i] = Sample(ts->mSampleTime, i, c);
      }
    }
    return noErr;
  }

  AURenderCallbackStruct Callback() { return AURenderCallbackStruct{ &Source::Render, this }; }
};

inline OSStatus SetRenderCallback(AudioUnit unit, AURenderCallbackStruct cb)
{
  return AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof cb);
}

inline Float32 GetParam(AudioUnit unit, AudioUnitParameterID id)
{
  Float32 v = -12345.f;
  EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v), noErr);
  return v;
}

inline OSStatus SetParam(AudioUnit unit, AudioUnitParameterID id, Float32 v)
{
  return AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, v, 0);
}

// The linear gain of a setting in dB, as the effect computes it.
inline float DBToGain(double dB)
{
  return static_cast<float>(exp(0.1151292546497 * dB));
}

}  // namespace autest
