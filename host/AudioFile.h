#pragma once

// Audio in memory and as WAV files: RIFF/WAVE with a "fmt " and a "data" chunk, PCM
// 16-, 24- and 32-bit integer or 32-bit float samples (plain or extensible format
// headers), any number of channels. Reading checks every size against the bytes that
// are there, so a malformed or truncated file is refused with a message, never read
// past its end.
//
// Threads: any; nothing is shared.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Sample encodings of a WAV file.
enum class WavSampleFormat
{
  kPcm16,
  kPcm24,
  kPcm32,
  kFloat32
};

// Planar audio: one vector of frames samples per channel, full scale at +-1.0.
struct AudioFile
{
  double sampleRate = 44100.0;
  std::vector<std::vector<float>> channels;

  int NumChannels() const { return static_cast<int>(channels.size()); }
  size_t NumFrames() const { return channels.empty() ? 0 : channels[0].size(); }
  // Makes numChannels channels of numFrames zeros.
  void Allocate(int numChannels, size_t numFrames);
};

// Reads a whole WAV image. On failure returns false with a one-line reason in *error
// (when given) and leaves *out empty.
bool DecodeWav(const uint8_t* data, size_t size, AudioFile* out, WavSampleFormat* format, std::string* error);
// Writes a WAV image of the audio. Integer formats are rounded and clipped to their
// range. False when the audio has no channels, channels of different lengths, a sample
// rate that is not a positive whole number below 2^32 or more data than a WAV file holds.
bool EncodeWav(const AudioFile& audio, WavSampleFormat format, std::vector<uint8_t>* out, std::string* error);

// The same on files; the messages name the file.
bool ReadWavFile(const std::string& path, AudioFile* out, WavSampleFormat* format, std::string* error);
bool WriteWavFile(const std::string& path, const AudioFile& audio, WavSampleFormat format, std::string* error);

// "16-bit integer", "24-bit integer", "32-bit integer", "32-bit float".
const char* WavSampleFormatName(WavSampleFormat format);
