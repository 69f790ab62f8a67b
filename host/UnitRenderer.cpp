#include "UnitRenderer.h"

#include "HostText.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

bool Fail(std::string* error, const std::string& message)
{
  if (error) *error = message;
  return false;
}

AudioStreamBasicDescription FloatFormat(double sampleRate, int numChannels)
{
  AudioStreamBasicDescription format = {};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = sizeof(Float32);
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = sizeof(Float32);
  format.mChannelsPerFrame = static_cast<UInt32>(numChannels);
  format.mBitsPerChannel = 8 * sizeof(Float32);
  return format;
}

// Room for a buffer list of n buffers.
std::vector<unsigned char> MakeBufferListStorage(int n)
{
  return std::vector<unsigned char>(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (n > 0 ? n : 1));
}

}  // namespace

bool UnitRenderer::Prepare(HostUnit* unit, double sampleRate, int numChannels, UInt32 blockSize, std::string* error)
{
  mUnit = unit;
  mSampleRate = sampleRate;
  mNumChannels = numChannels;
  mBlockSize = 0;
  if (!unit || !unit->IsOpen()) return Fail(error, "no audio unit is open");
  if (blockSize < 1) return Fail(error, "the block size must be at least 1 frame");
  if (numChannels < 1) return Fail(error, "the audio has no channels");
  if (!(sampleRate > 0.0)) return Fail(error, "the sample rate must be above 0");
  AudioUnit au = unit->Unit();
  unit->Uninitialize();

  const AudioStreamBasicDescription format = FloatFormat(sampleRate, numChannels);
  OSStatus status = AudioUnitSetProperty(au, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format,
                                         sizeof format);
  if (status == noErr) {
    status = AudioUnitSetProperty(au, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                  sizeof format);
  }
  if (status != noErr) {
    return Fail(error, "the unit does not take " + std::to_string(numChannels) + " channel(s) in and out at " +
                           std::to_string(static_cast<long>(sampleRate)) + " Hz: " + StatusText(status));
  }
  // the sample rate property also has the unit rebuild its processing for the rate
  Float64 rate = sampleRate;
  status = AudioUnitSetProperty(au, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof rate);
  if (status != noErr && status != kAudioUnitErr_InvalidProperty) {
    return Fail(error, "the unit refuses the sample rate: " + StatusText(status));
  }

  UInt32 maxFrames = blockSize;
  status = AudioUnitSetProperty(au, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                                sizeof maxFrames);
  if (status != noErr) {
    return Fail(error, "the unit refuses " + std::to_string(blockSize) + " frames per slice: " + StatusText(status));
  }
  // render no more than the unit says it can take
  UInt32 size = sizeof maxFrames;
  if (AudioUnitGetProperty(au, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                           &size) != noErr) {
    maxFrames = blockSize;
  }
  if (maxFrames < 1) return Fail(error, "the unit cannot render blocks of " + std::to_string(blockSize) + " frames");
  mBlockSize = maxFrames < blockSize ? maxFrames : blockSize;

  AURenderCallbackStruct callback = { &UnitRenderer::InputCallback, this };
  status = AudioUnitSetProperty(au, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                sizeof callback);
  if (status != noErr) return Fail(error, "the unit takes no input render callback: " + StatusText(status));

  mInputScratch.assign(static_cast<size_t>(numChannels), std::vector<float>(mBlockSize, 0.f));
  status = unit->Initialize();
  if (status != noErr) return Fail(error, "the unit does not initialise: " + StatusText(status));
  return true;
}

bool UnitRenderer::Render(const AudioFile& input, bool bypass, AudioFile* output, std::string* error)
{
  mRenderCalls = 0;
  if (!mUnit || !mUnit->IsOpen() || mBlockSize == 0) return Fail(error, "the renderer is not prepared");
  if (input.NumChannels() != mNumChannels || input.sampleRate != mSampleRate) {
    return Fail(error, "the audio does not match the prepared rate and channel count");
  }
  AudioUnit au = mUnit->Unit();
  UInt32 bypassed = bypass ? 1 : 0;
  OSStatus status =
      AudioUnitSetProperty(au, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypassed, sizeof bypassed);
  if (status != noErr && bypass) return Fail(error, "the unit cannot be bypassed: " + StatusText(status));
  AudioUnitReset(au, kAudioUnitScope_Global, 0);

  const size_t frames = input.NumFrames();
  output->sampleRate = input.sampleRate;
  // the output starts as a copy of the input, which is what a bypassed unit leaves
  output->channels = input.channels;

  std::vector<unsigned char> listStorage = MakeBufferListStorage(mNumChannels);
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(listStorage.data());
  mInput = &input;
  mStartTime = mUnit->SampleTime();
  AudioTimeStamp timeStamp = {};
  timeStamp.mFlags = kAudioTimeStampSampleTimeValid;
  for (size_t pos = 0; pos < frames; pos += mBlockSize) {
    const UInt32 n = static_cast<UInt32>(frames - pos < mBlockSize ? frames - pos : mBlockSize);
    list->mNumberBuffers = static_cast<UInt32>(mNumChannels);
    for (int c = 0; c < mNumChannels; ++c) {
      list->mBuffers[c].mNumberChannels = 1;
      list->mBuffers[c].mDataByteSize = n * sizeof(float);
      list->mBuffers[c].mData = output->channels[c].data() + pos;
    }
    timeStamp.mSampleTime = mUnit->SampleTime();
    AudioUnitRenderActionFlags flags = 0;
    status = AudioUnitRender(au, &flags, &timeStamp, 0, n, list);
    ++mRenderCalls;
    mUnit->AdvanceSampleTime(n);
    if (status != noErr) {
      mInput = nullptr;
      return Fail(error, "the unit failed to render frames " + std::to_string(pos) + " to " +
                             std::to_string(pos + n) + ": " + StatusText(status));
    }
    // a unit may answer with buffers of its own instead of filling ours
    for (int c = 0; c < mNumChannels; ++c) {
      const float* data = static_cast<const float*>(list->mBuffers[c].mData);
      float* ours = output->channels[c].data() + pos;
      if (data && data != ours) memcpy(ours, data, n * sizeof(float));
    }
  }
  mInput = nullptr;
  return true;
}

OSStatus UnitRenderer::InputCallback(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* timeStamp,
                                     UInt32, UInt32 numberFrames, AudioBufferList* data)
{
  UnitRenderer* self = static_cast<UnitRenderer*>(refCon);
  if (!self || !self->mInput || !timeStamp || !data) return kAudioUnitErr_NoConnection;
  const AudioFile& input = *self->mInput;
  const double start = timeStamp->mSampleTime - self->mStartTime;
  const size_t total = input.NumFrames();
  const size_t pos = start >= 0.0 && start < static_cast<double>(total) ? static_cast<size_t>(start) : total;
  for (UInt32 k = 0; k < data->mNumberBuffers; ++k) {
    AudioBuffer& buffer = data->mBuffers[k];
    if (!buffer.mData) {
      if (k >= self->mInputScratch.size()) continue;
      buffer.mData = self->mInputScratch[k].data();
      buffer.mDataByteSize = static_cast<UInt32>(self->mInputScratch[k].size() * sizeof(float));
    }
    float* out = static_cast<float*>(buffer.mData);
    size_t n = numberFrames;
    if (n > buffer.mDataByteSize / sizeof(float)) n = buffer.mDataByteSize / sizeof(float);
    // past the end of the input, and on channels it does not have, there is silence
    size_t available = 0;
    if (k < static_cast<UInt32>(input.NumChannels())) available = total - pos < n ? total - pos : n;
    if (available) memcpy(out, input.channels[k].data() + pos, available * sizeof(float));
    if (available < n) memset(out + available, 0, (n - available) * sizeof(float));
  }
  return noErr;
}
