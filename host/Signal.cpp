#include "Signal.h"

#include <cmath>
#include <limits>

AudioFile MakeTone(double sampleRate, int numChannels, double seconds, double frequency, double amplitude)
{
  AudioFile audio;
  audio.sampleRate = sampleRate;
  if (!(sampleRate > 0.0) || !(seconds >= 0.0) || numChannels < 1 || seconds * sampleRate > 1e10) return audio;
  const size_t frames = static_cast<size_t>(std::floor(seconds * sampleRate + 0.5));
  audio.Allocate(numChannels, frames);
  // phase step of one sample, radians
  const double step = 2.0 * M_PI * frequency / sampleRate;
  for (size_t i = 0; i < frames; ++i) {
    const float v = static_cast<float>(amplitude * std::sin(step * static_cast<double>(i)));
    for (int c = 0; c < numChannels; ++c) audio.channels[c][i] = v;
  }
  return audio;
}

AudioLevels MeasureLevels(const AudioFile& audio)
{
  AudioLevels levels;
  double sumSquares = 0.0;
  size_t count = 0;
  for (const std::vector<float>& channel : audio.channels) {
    for (float s : channel) {
      const double v = std::fabs(static_cast<double>(s));
      if (v > levels.peak) levels.peak = v;
      sumSquares += v * v;
    }
    count += channel.size();
  }
  if (count > 0) levels.rms = std::sqrt(sumSquares / static_cast<double>(count));
  return levels;
}

double LevelToDecibels(double level)
{
  if (level <= 0.0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(level);
}
