#include "AudioFile.h"
#include "Signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>

namespace {

const WavSampleFormat kFormats[] = { WavSampleFormat::kPcm16, WavSampleFormat::kPcm24, WavSampleFormat::kPcm32,
                                     WavSampleFormat::kFloat32 };

int Bits(WavSampleFormat format)
{
  switch (format) {
    case WavSampleFormat::kPcm16: return 16;
    case WavSampleFormat::kPcm24: return 24;
    default: return 32;
  }
}

// Audio whose every sample the format holds exactly, including both ends of the range.
AudioFile ExactAudio(WavSampleFormat format, int channels, size_t frames, unsigned seed)
{
  std::mt19937 random(seed);
  AudioFile audio;
  audio.sampleRate = 48000;
  audio.Allocate(channels, frames);
  // 32-bit integers pass through float, which holds 24 significant bits
  const int bits = Bits(format) > 24 ? 24 : Bits(format);
  const long full = 1L << (bits - 1);
  for (int c = 0; c < channels; ++c) {
    for (size_t i = 0; i < frames; ++i) {
      long v = static_cast<long>(random() % (2 * full)) - full;
      if (i == 0) v = -full;
      if (i == 1) v = full - 1;
      audio.channels[c][i] = static_cast<float>(static_cast<double>(v) / static_cast<double>(full));
      if (format == WavSampleFormat::kFloat32 && i == 2) audio.channels[c][i] = 1.75f;
    }
  }
  return audio;
}

void Put16(std::vector<uint8_t>* out, unsigned v)
{
  out->push_back(v & 0xFF);
  out->push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>* out, uint32_t v)
{
  for (int i = 0; i < 4; ++i) out->push_back((v >> (8 * i)) & 0xFF);
}

void PutChunk(std::vector<uint8_t>* out, const char* tag, const std::vector<uint8_t>& body)
{
  out->insert(out->end(), tag, tag + 4);
  Put32(out, static_cast<uint32_t>(body.size()));
  out->insert(out->end(), body.begin(), body.end());
  if (body.size() & 1) out->push_back(0);
}

std::vector<uint8_t> FormatBody(unsigned tag, unsigned channels, uint32_t rate, unsigned blockAlign, unsigned bits)
{
  std::vector<uint8_t> body;
  Put16(&body, tag);
  Put16(&body, channels);
  Put32(&body, rate);
  Put32(&body, rate * blockAlign);
  Put16(&body, blockAlign);
  Put16(&body, bits);
  return body;
}

std::vector<uint8_t> Riff(const std::vector<std::pair<const char*, std::vector<uint8_t>>>& chunks)
{
  std::vector<uint8_t> body;
  for (const auto& chunk : chunks) PutChunk(&body, chunk.first, chunk.second);
  std::vector<uint8_t> file = { 'R', 'I', 'F', 'F' };
  Put32(&file, static_cast<uint32_t>(body.size() + 4));
  file.insert(file.end(), { 'W', 'A', 'V', 'E' });
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

std::string TempPath(const char* name)
{
  return std::string(::testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

}  // namespace

TEST(WavFile, EveryFormatRoundTripsMonoAndStereoAtEveryShortAndOddLength)
{
  for (WavSampleFormat format : kFormats) {
    for (int channels : { 1, 2, 3 }) {
      for (size_t frames : { 0, 1, 2, 3, 5, 1001 }) {
        SCOPED_TRACE(std::string(WavSampleFormatName(format)) + ", " + std::to_string(channels) + " channels, " +
                     std::to_string(frames) + " frames");
        const AudioFile audio = ExactAudio(format, channels, frames, static_cast<unsigned>(frames * 7 + channels));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(EncodeWav(audio, format, &bytes, nullptr));
        // whole chunks: odd data sizes (24-bit) are padded to an even RIFF size
        EXPECT_EQ(bytes.size() % 2, 0u);
        AudioFile back;
        WavSampleFormat read = WavSampleFormat::kPcm16;
        std::string error;
        ASSERT_TRUE(DecodeWav(bytes.data(), bytes.size(), &back, &read, &error)) << error;
        EXPECT_EQ(read, format);
        EXPECT_EQ(back.sampleRate, 48000.0);
        ASSERT_EQ(back.NumChannels(), channels);
        ASSERT_EQ(back.NumFrames(), frames);
        for (int c = 0; c < channels; ++c) EXPECT_EQ(back.channels[c], audio.channels[c]);
      }
    }
  }
}

TEST(WavFile, IntegerSamplesAreRoundedToNearestAndClippedToTheirRange)
{
  AudioFile audio;
  audio.sampleRate = 44100;
  audio.channels = { { 1.0f, -1.0f, 1.5f, -7.0f, 0.6f / 32768, -0.4f / 32768, std::nanf(""), 0.5f } };
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeWav(audio, WavSampleFormat::kPcm16, &bytes, nullptr));
  AudioFile back;
  ASSERT_TRUE(DecodeWav(bytes.data(), bytes.size(), &back, nullptr, nullptr));
  const std::vector<float> expected = { 32767 / 32768.f, -1.f, 32767 / 32768.f, -1.f, 1 / 32768.f, 0.f, 0.f, 0.5f };
  EXPECT_EQ(back.channels[0], expected);

  ASSERT_TRUE(EncodeWav(audio, WavSampleFormat::kPcm24, &bytes, nullptr));
  ASSERT_TRUE(DecodeWav(bytes.data(), bytes.size(), &back, nullptr, nullptr));
  EXPECT_EQ(back.channels[0][0], 8388607 / 8388608.f);
  EXPECT_EQ(back.channels[0][3], -1.f);
  EXPECT_EQ(back.channels[0][6], 0.f);
  ASSERT_TRUE(EncodeWav(audio, WavSampleFormat::kPcm32, &bytes, nullptr));
  ASSERT_TRUE(DecodeWav(bytes.data(), bytes.size(), &back, nullptr, nullptr));
  EXPECT_EQ(back.channels[0][1], -1.f);
  EXPECT_EQ(back.channels[0][7], 0.5f);
  // float keeps what integers cannot: values beyond full scale
  ASSERT_TRUE(EncodeWav(audio, WavSampleFormat::kFloat32, &bytes, nullptr));
  ASSERT_TRUE(DecodeWav(bytes.data(), bytes.size(), &back, nullptr, nullptr));
  EXPECT_EQ(back.channels[0][3], -7.0f);
}

TEST(WavFile, HeadersFollowTheFormat)
{
  AudioFile audio;
  audio.sampleRate = 96000;
  audio.channels = { { 0.f, 0.f, 0.f }, { 0.f, 0.f, 0.f } };
  std::vector<uint8_t> pcm, flt;
  ASSERT_TRUE(EncodeWav(audio, WavSampleFormat::kPcm16, &pcm, nullptr));
  ASSERT_TRUE(EncodeWav(audio, WavSampleFormat::kFloat32, &flt, nullptr));
  // 44-byte plain header, 12 bytes of samples
  ASSERT_EQ(pcm.size(), 44u + 12u);
  EXPECT_EQ(memcmp(pcm.data() + 12, "fmt ", 4), 0);
  EXPECT_EQ(pcm[20], 1);                    // integer PCM
  EXPECT_EQ(pcm[32], 4);                    // block align
  EXPECT_EQ(pcm[28] | pcm[29] << 8 | pcm[30] << 16, 384000);  // bytes per second
  EXPECT_EQ(pcm[4], 56 - 8);
  // float: an 18-byte format chunk and a fact chunk with the frame count
  EXPECT_EQ(flt[16], 18);
  EXPECT_EQ(flt[20], 3);
  EXPECT_EQ(memcmp(flt.data() + 38, "fact", 4), 0);
  EXPECT_EQ(flt[46], 3);
  EXPECT_EQ(memcmp(flt.data() + 50, "data", 4), 0);
  EXPECT_EQ(flt.size(), 58u + 24u);
}

TEST(WavFile, ExtensibleHeadersOddChunksAndTrailingMetadataAreRead)
{
  std::vector<uint8_t> fmt = FormatBody(0xFFFE, 2, 44100, 6, 24);
  Put16(&fmt, 22);
  Put16(&fmt, 24);
  Put32(&fmt, 3);
  const uint8_t guid[16] = { 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71 };
  fmt.insert(fmt.end(), guid, guid + 16);
  // one frame: left +0.5, right -0.25
  const std::vector<uint8_t> data = { 0x00, 0x00, 0x40, 0x00, 0x00, 0xE0 };
  std::vector<uint8_t> file = Riff({ { "LIST", { 'a', 'b', 'c' } }, { "fmt ", fmt }, { "data", data } });
  // a metadata chunk cut short after the audio does not matter
  file.insert(file.end(), { 'i', 'd', '3', ' ', 100, 0, 0, 0, 1, 2 });
  AudioFile audio;
  WavSampleFormat format;
  std::string error;
  ASSERT_TRUE(DecodeWav(file.data(), file.size(), &audio, &format, &error)) << error;
  EXPECT_EQ(format, WavSampleFormat::kPcm24);
  ASSERT_EQ(audio.NumChannels(), 2);
  ASSERT_EQ(audio.NumFrames(), 1u);
  EXPECT_EQ(audio.channels[0][0], 0.5f);
  EXPECT_EQ(audio.channels[1][0], -0.25f);
}

TEST(WavFile, EveryTruncationOfAFileIsRefusedWithoutReadingPastIt)
{
  const AudioFile audio = ExactAudio(WavSampleFormat::kPcm24, 1, 5, 1);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeWav(audio, WavSampleFormat::kPcm24, &bytes, nullptr));
  // the pad byte of the odd data chunk is the only byte a reader may do without
  for (size_t length = 0; length + 1 < bytes.size(); ++length) {
    // a copy of exactly that length, so that a read beyond it is caught by the sanitizer
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
    AudioFile back;
    back.channels = { { 1.f } };
    std::string error;
    EXPECT_FALSE(DecodeWav(cut.data(), cut.size(), &back, nullptr, &error)) << "length " << length;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(back.NumChannels(), 0);
  }
}

TEST(WavFile, MalformedHeadersAreRefusedWithAReason)
{
  const std::vector<uint8_t> oneFrame = { 0, 0, 0, 0 };
  struct Case
  {
    const char* what;
    std::vector<uint8_t> file;
    const char* reason;
  };
  std::vector<uint8_t> notWave = Riff({ { "fmt ", FormatBody(1, 2, 44100, 4, 16) }, { "data", oneFrame } });
  memcpy(notWave.data() + 8, "AVI ", 4);
  std::vector<uint8_t> badGuid = FormatBody(0xFFFE, 1, 44100, 2, 16);
  badGuid.resize(40, 0);
  badGuid[16] = 22;
  badGuid[24] = 1;
  const Case cases[] = {
    { "not RIFF", { 'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E' }, "RIFF/WAVE" },
    { "not WAVE", notWave, "RIFF/WAVE" },
    { "no format", Riff({ { "data", oneFrame } }), "no format chunk" },
    { "no data", Riff({ { "fmt ", FormatBody(1, 2, 44100, 4, 16) } }), "no data chunk" },
    { "short format", Riff({ { "fmt ", { 1, 0, 2, 0 } }, { "data", oneFrame } }), "shorter than 16" },
    { "no channels", Riff({ { "fmt ", FormatBody(1, 0, 44100, 0, 16) }, { "data", oneFrame } }), "no channels" },
    { "rate 0", Riff({ { "fmt ", FormatBody(1, 2, 0, 4, 16) }, { "data", oneFrame } }), "sample rate" },
    { "8-bit", Riff({ { "fmt ", FormatBody(1, 2, 44100, 2, 8) }, { "data", oneFrame } }), "8 bits" },
    { "20-bit", Riff({ { "fmt ", FormatBody(1, 1, 44100, 3, 20) }, { "data", { 0, 0, 0 } } }), "20 bits" },
    { "64-bit float", Riff({ { "fmt ", FormatBody(3, 1, 44100, 8, 64) }, { "data", oneFrame } }), "64 bits" },
    { "compressed", Riff({ { "fmt ", FormatBody(2, 1, 44100, 2, 16) }, { "data", oneFrame } }), "format code 2" },
    { "block align", Riff({ { "fmt ", FormatBody(1, 2, 44100, 6, 16) }, { "data", oneFrame } }), "alignment" },
    { "part frame", Riff({ { "fmt ", FormatBody(1, 2, 44100, 4, 16) }, { "data", { 0, 0, 0, 0, 0, 0 } } }),
      "whole number of frames" },
    { "short extensible", Riff({ { "fmt ", FormatBody(0xFFFE, 1, 44100, 2, 16) }, { "data", oneFrame } }),
      "shorter than 40" },
    { "unknown sub-format", Riff({ { "fmt ", badGuid }, { "data", oneFrame } }), "sub-format" },
  };
  for (const Case& c : cases) {
    AudioFile audio;
    std::string error;
    EXPECT_FALSE(DecodeWav(c.file.data(), c.file.size(), &audio, nullptr, &error)) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
  }
  // a data size beyond the file, as a broken writer leaves it
  std::vector<uint8_t> overlong = Riff({ { "fmt ", FormatBody(1, 2, 44100, 4, 16) }, { "data", oneFrame } });
  overlong[40] = 0xFF;
  std::string error;
  AudioFile audio;
  EXPECT_FALSE(DecodeWav(overlong.data(), overlong.size(), &audio, nullptr, &error));
  EXPECT_NE(error.find("past the end"), std::string::npos) << error;
}

TEST(WavFile, FilesRoundTripAndErrorsNameTheFile)
{
  const std::string path = TempPath("roundtrip.wav");
  const AudioFile audio = ExactAudio(WavSampleFormat::kFloat32, 2, 777, 3);
  std::string error;
  ASSERT_TRUE(WriteWavFile(path, audio, WavSampleFormat::kFloat32, &error)) << error;
  AudioFile back;
  ASSERT_TRUE(ReadWavFile(path, &back, nullptr, &error)) << error;
  EXPECT_EQ(back.channels, audio.channels);
  unlink(path.c_str());

  EXPECT_FALSE(ReadWavFile(path, &back, nullptr, &error));
  EXPECT_EQ(error.find(path), 0u) << error;
  EXPECT_FALSE(WriteWavFile(TempPath("no/such/folder.wav"), audio, WavSampleFormat::kPcm16, &error));
  EXPECT_NE(error.find("folder.wav"), std::string::npos) << error;
  // a file that is not audio names the file and the reason
  const std::string text = TempPath("text.wav");
  FILE* f = fopen(text.c_str(), "w");
  fputs("hello, not a sound", f);
  fclose(f);
  EXPECT_FALSE(ReadWavFile(text, &back, nullptr, &error));
  EXPECT_EQ(error, text + ": not a RIFF/WAVE file");
  unlink(text.c_str());
}

TEST(WavFile, AudioThatAWavFileCannotHoldIsNotWritten)
{
  std::vector<uint8_t> bytes;
  std::string error;
  AudioFile none;
  EXPECT_FALSE(EncodeWav(none, WavSampleFormat::kPcm16, &bytes, &error));
  AudioFile ragged;
  ragged.channels = { { 0.f, 0.f }, { 0.f } };
  EXPECT_FALSE(EncodeWav(ragged, WavSampleFormat::kPcm16, &bytes, &error));
  EXPECT_NE(error.find("length"), std::string::npos);
  for (double rate : { 0.0, -44100.0, 44100.5, 5e9, std::nan("") }) {
    AudioFile odd;
    odd.sampleRate = rate;
    odd.channels = { { 0.f } };
    EXPECT_FALSE(EncodeWav(odd, WavSampleFormat::kFloat32, &bytes, &error)) << rate;
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(Signal, ToneHasItsLengthPeakAndRms)
{
  const AudioFile tone = MakeTone(48000, 2, 0.5, 1000, 0.5);
  ASSERT_EQ(tone.NumChannels(), 2);
  ASSERT_EQ(tone.NumFrames(), 24000u);
  EXPECT_EQ(tone.channels[0][0], 0.f);
  EXPECT_EQ(tone.channels[0], tone.channels[1]);
  // a 1 kHz sine at 48 kHz peaks exactly on sample 12
  EXPECT_FLOAT_EQ(tone.channels[0][12], 0.5f);
  const AudioLevels levels = MeasureLevels(tone);
  EXPECT_FLOAT_EQ(static_cast<float>(levels.peak), 0.5f);
  EXPECT_NEAR(levels.rms, 0.5 / std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(LevelToDecibels(levels.peak), -6.0206, 1e-4);
  EXPECT_TRUE(std::isinf(LevelToDecibels(0.0)));
  EXPECT_EQ(MeasureLevels(AudioFile()).peak, 0.0);

  EXPECT_EQ(MakeTone(0, 2, 1, 1000, 1).NumChannels(), 0);
  EXPECT_EQ(MakeTone(44100, 0, 1, 1000, 1).NumChannels(), 0);
  EXPECT_EQ(MakeTone(44100, 1, -1, 1000, 1).NumChannels(), 0);
  EXPECT_EQ(MakeTone(44100, 1, 0, 1000, 1).NumFrames(), 0u);
}
