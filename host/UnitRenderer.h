#pragma once

// Renders audio in memory through an open audio unit as a host's offline render does:
// the unit pulls its input from a render callback, block by block, and writes into the
// host's output buffers. The unit is set up for the audio's sample rate and channel
// count (non-interleaved 32-bit float on input and output), for the block size as its
// maximum frames per slice, and initialised; presets, parameters and state may be set
// between Prepare and Render.
//
// Threads: the thread that owns the HostUnit; the render callback runs on it too.

#include "AudioFile.h"
#include "HostUnit.h"

class UnitRenderer
{
public:
  // blockSize: frames per render call, at least 1. The unit's maximum frames per slice
  // is set to it; a unit that keeps a smaller maximum is rendered in its blocks.
  bool Prepare(HostUnit* unit, double sampleRate, int numChannels, UInt32 blockSize, std::string* error);

  // Renders the whole input (of the prepared rate and channel count) into *output,
  // which gets the same length. With bypass the unit's bypass property is set and the
  // output is the input as the bypassed unit leaves it.
  bool Render(const AudioFile& input, bool bypass, AudioFile* output, std::string* error);

  UInt32 BlockSize() const { return mBlockSize; }
  // Number of render calls made by the last Render.
  size_t RenderCalls() const { return mRenderCalls; }

private:
  // Render thread (here the thread that calls Render): copies the slice of the input
  // that the time stamp names into the unit's buffers; allocates nothing.
  static OSStatus InputCallback(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp,
                                UInt32 busNumber, UInt32 numberFrames, AudioBufferList* data);

  HostUnit* mUnit = nullptr;
  double mSampleRate = 0;
  int mNumChannels = 0;
  UInt32 mBlockSize = 0;
  const AudioFile* mInput = nullptr;
  Float64 mStartTime = 0;  // the unit's sample time at the input's first frame
  // where the callback writes when the unit passes buffers without data
  std::vector<std::vector<float>> mInputScratch;
  size_t mRenderCalls = 0;
};
