#include "AudioFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const uint16_t kFormatPcm = 1;
const uint16_t kFormatFloat = 3;
const uint16_t kFormatExtensible = 0xFFFE;
// bytes 2..15 of the sub-format GUID of an extensible header; bytes 0..1 hold the format
const uint8_t kSubFormatTail[14] = { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 };

uint16_t Le16(const uint8_t* p)
{
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Le32(const uint8_t* p)
{
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void Put16(std::vector<uint8_t>* out, uint16_t v)
{
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t v)
{
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>* out, const char* tag)
{
  out->insert(out->end(), tag, tag + 4);
}

bool Fail(std::string* error, const std::string& message)
{
  if (error) *error = message;
  return false;
}

int BytesPerSample(WavSampleFormat format)
{
  switch (format) {
    case WavSampleFormat::kPcm16: return 2;
    case WavSampleFormat::kPcm24: return 3;
    case WavSampleFormat::kPcm32:
    case WavSampleFormat::kFloat32: return 4;
  }
  return 4;
}

// A float sample as a signed integer of `bits` bits: rounded to nearest, clipped, NaN
// as silence.
int32_t ToInteger(float sample, int bits)
{
  const double full = std::ldexp(1.0, bits - 1);
  double v = static_cast<double>(sample);
  if (v != v) return 0;
  v = std::floor(v * full + 0.5);
  if (v > full - 1.0) v = full - 1.0;
  if (v < -full) v = -full;
  return static_cast<int32_t>(v);
}

float DecodeSample(const uint8_t* p, WavSampleFormat format)
{
  switch (format) {
    case WavSampleFormat::kPcm16:
      return static_cast<float>(static_cast<int16_t>(Le16(p)) / 32768.0);
    case WavSampleFormat::kPcm24: {
      // sign-extend the three bytes through the top of a 32-bit word
      int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                                       static_cast<uint32_t>(p[2]) << 24);
      return static_cast<float>((v >> 8) / 8388608.0);
    }
    case WavSampleFormat::kPcm32:
      return static_cast<float>(static_cast<int32_t>(Le32(p)) / 2147483648.0);
    case WavSampleFormat::kFloat32: {
      uint32_t bits = Le32(p);
      float f;
      memcpy(&f, &bits, sizeof f);
      return f;
    }
  }
  return 0.f;
}

void EncodeSample(float sample, WavSampleFormat format, std::vector<uint8_t>* out)
{
  switch (format) {
    case WavSampleFormat::kPcm16:
      Put16(out, static_cast<uint16_t>(ToInteger(sample, 16)));
      break;
    case WavSampleFormat::kPcm24: {
      uint32_t v = static_cast<uint32_t>(ToInteger(sample, 24));
      out->push_back(static_cast<uint8_t>(v));
      out->push_back(static_cast<uint8_t>(v >> 8));
      out->push_back(static_cast<uint8_t>(v >> 16));
      break;
    }
    case WavSampleFormat::kPcm32:
      Put32(out, static_cast<uint32_t>(ToInteger(sample, 32)));
      break;
    case WavSampleFormat::kFloat32: {
      uint32_t bits;
      memcpy(&bits, &sample, sizeof bits);
      Put32(out, bits);
      break;
    }
  }
}

// The sample format of a "fmt " chunk body, or false with the reason.
bool ParseFormatChunk(const uint8_t* p, uint32_t size, int* channels, uint32_t* rate, WavSampleFormat* format,
                      std::string* error)
{
  if (size < 16) return Fail(error, "the format chunk is shorter than 16 bytes");
  uint16_t tag = Le16(p);
  *channels = Le16(p + 2);
  *rate = Le32(p + 4);
  uint16_t blockAlign = Le16(p + 12);
  uint16_t bits = Le16(p + 14);
  if (tag == kFormatExtensible) {
    if (size < 40 || Le16(p + 16) < 22) return Fail(error, "the extensible format chunk is shorter than 40 bytes");
    if (memcmp(p + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) {
      return Fail(error, "unknown sub-format in the extensible format chunk");
    }
    tag = Le16(p + 24);
  }
  if (*channels == 0) return Fail(error, "the file has no channels");
  if (*rate == 0) return Fail(error, "the sample rate is 0");
  if (tag == kFormatPcm && bits == 16) {
    *format = WavSampleFormat::kPcm16;
  } else if (tag == kFormatPcm && bits == 24) {
    *format = WavSampleFormat::kPcm24;
  } else if (tag == kFormatPcm && bits == 32) {
    *format = WavSampleFormat::kPcm32;
  } else if (tag == kFormatFloat && bits == 32) {
    *format = WavSampleFormat::kFloat32;
  } else {
    char message[96];
    snprintf(message, sizeof message, "unsupported sample format (format code %u, %u bits per sample)",
             static_cast<unsigned>(tag), static_cast<unsigned>(bits));
    return Fail(error, message);
  }
  if (blockAlign != *channels * BytesPerSample(*format)) {
    return Fail(error, "the block alignment does not match the channels and sample size");
  }
  return true;
}

}  // namespace

void AudioFile::Allocate(int numChannels, size_t numFrames)
{
  channels.assign(numChannels > 0 ? numChannels : 0, std::vector<float>(numFrames, 0.f));
}

const char* WavSampleFormatName(WavSampleFormat format)
{
  switch (format) {
    case WavSampleFormat::kPcm16: return "16-bit integer";
    case WavSampleFormat::kPcm24: return "24-bit integer";
    case WavSampleFormat::kPcm32: return "32-bit integer";
    case WavSampleFormat::kFloat32: return "32-bit float";
  }
  return "";
}

bool DecodeWav(const uint8_t* data, size_t size, AudioFile* out, WavSampleFormat* format, std::string* error)
{
  out->channels.clear();
  if (!data || size < 12 || memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0) {
    return Fail(error, "not a RIFF/WAVE file");
  }
  // chunks are bounded by the file's length: writers that stream leave the RIFF size
  // at 0 or at its maximum
  const size_t end = size;

  const uint8_t* fmt = nullptr;
  uint32_t fmtSize = 0;
  const uint8_t* samples = nullptr;
  uint32_t dataSize = 0;
  size_t pos = 12;
  while (pos + 8 <= end) {
    const uint8_t* chunk = data + pos;
    uint32_t chunkSize = Le32(chunk + 4);
    if (chunkSize > end - pos - 8) {
      if (memcmp(chunk, "data", 4) == 0 || memcmp(chunk, "fmt ", 4) == 0) {
        return Fail(error, std::string("the \"") + std::string(reinterpret_cast<const char*>(chunk), 4) +
                               "\" chunk runs past the end of the file");
      }
      break;  // a trailing chunk of metadata cut short does not matter
    }
    if (memcmp(chunk, "fmt ", 4) == 0 && !fmt) {
      fmt = chunk + 8;
      fmtSize = chunkSize;
    } else if (memcmp(chunk, "data", 4) == 0 && !samples) {
      samples = chunk + 8;
      dataSize = chunkSize;
    }
    // chunks are padded to an even size
    pos += 8 + static_cast<size_t>(chunkSize) + (chunkSize & 1);
  }
  if (!fmt) return Fail(error, "the file has no format chunk");
  if (!samples) return Fail(error, "the file has no data chunk");

  int numChannels = 0;
  uint32_t rate = 0;
  WavSampleFormat sampleFormat;
  if (!ParseFormatChunk(fmt, fmtSize, &numChannels, &rate, &sampleFormat, error)) return false;
  const size_t frameBytes = static_cast<size_t>(numChannels) * BytesPerSample(sampleFormat);
  if (dataSize % frameBytes != 0) return Fail(error, "the data chunk does not hold a whole number of frames");

  const size_t frames = dataSize / frameBytes;
  const int bytes = BytesPerSample(sampleFormat);
  out->sampleRate = rate;
  out->Allocate(numChannels, frames);
  for (size_t i = 0; i < frames; ++i) {
    const uint8_t* frame = samples + i * frameBytes;
    for (int c = 0; c < numChannels; ++c) out->channels[c][i] = DecodeSample(frame + c * bytes, sampleFormat);
  }
  if (format) *format = sampleFormat;
  return true;
}

bool EncodeWav(const AudioFile& audio, WavSampleFormat format, std::vector<uint8_t>* out, std::string* error)
{
  out->clear();
  const int numChannels = audio.NumChannels();
  if (numChannels < 1 || numChannels > 65535) return Fail(error, "the audio has no channels or too many");
  const size_t frames = audio.NumFrames();
  for (const std::vector<float>& channel : audio.channels) {
    if (channel.size() != frames) return Fail(error, "the channels differ in length");
  }
  if (!(audio.sampleRate >= 1.0 && audio.sampleRate < 4294967296.0) ||
      audio.sampleRate != std::floor(audio.sampleRate)) {
    return Fail(error, "the sample rate is not a whole number of hertz that a WAV file can hold");
  }
  const int bytes = BytesPerSample(format);
  const bool isFloat = format == WavSampleFormat::kFloat32;
  const uint64_t blockAlign = static_cast<uint64_t>(numChannels) * bytes;
  if (blockAlign > 65535) return Fail(error, "too many channels for a WAV file");
  const uint64_t dataSize = blockAlign * frames;
  // float files carry a cbSize word and a "fact" chunk with the frame count
  const uint32_t fmtSize = isFloat ? 18 : 16;
  const uint64_t headerSize = 12 + 8 + fmtSize + (isFloat ? 12 : 0) + 8;
  if (headerSize + dataSize + (dataSize & 1) > 0xFFFFFFFFull) return Fail(error, "too much audio for a WAV file");

  out->reserve(static_cast<size_t>(headerSize + dataSize + 1));
  PutTag(out, "RIFF");
  Put32(out, static_cast<uint32_t>(headerSize - 8 + dataSize + (dataSize & 1)));
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, fmtSize);
  Put16(out, isFloat ? kFormatFloat : kFormatPcm);
  Put16(out, static_cast<uint16_t>(numChannels));
  const uint32_t rate = static_cast<uint32_t>(audio.sampleRate);
  Put32(out, rate);
  Put32(out, static_cast<uint32_t>(rate * blockAlign));
  Put16(out, static_cast<uint16_t>(blockAlign));
  Put16(out, static_cast<uint16_t>(bytes * 8));
  if (isFloat) {
    Put16(out, 0);
    PutTag(out, "fact");
    Put32(out, 4);
    Put32(out, static_cast<uint32_t>(frames));
  }
  PutTag(out, "data");
  Put32(out, static_cast<uint32_t>(dataSize));
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < numChannels; ++c) EncodeSample(audio.channels[c][i], format, out);
  }
  if (dataSize & 1) out->push_back(0);
  return true;
}

bool ReadWavFile(const std::string& path, AudioFile* out, WavSampleFormat* format, std::string* error)
{
  out->channels.clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return Fail(error, path + ": " + strerror(errno));
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool readError = ferror(f) != 0;
  fclose(f);
  if (readError) return Fail(error, path + ": read error");
  std::string reason;
  if (!DecodeWav(bytes.data(), bytes.size(), out, format, &reason)) return Fail(error, path + ": " + reason);
  return true;
}

bool WriteWavFile(const std::string& path, const AudioFile& audio, WavSampleFormat format, std::string* error)
{
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!EncodeWav(audio, format, &bytes, &reason)) return Fail(error, path + ": " + reason);
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return Fail(error, path + ": " + strerror(errno));
  const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = fclose(f) == 0;
  if (!written || !closed) return Fail(error, path + ": write error");
  return true;
}
