#pragma once

// Test signals and level readings for audio in memory.
//
// Threads: any; nothing is shared.

#include "AudioFile.h"

// Peak and RMS level of audio, linear (full scale 1.0) over all channels and frames.
struct AudioLevels
{
  double peak = 0.0;
  double rms = 0.0;
};

// A sine of `frequency` Hz at `amplitude` (linear) on every channel, starting at phase
// 0, of round(seconds x sampleRate) frames. Arguments out of range (non-positive rate,
// negative length, channels below 1) give empty audio.
AudioFile MakeTone(double sampleRate, int numChannels, double seconds, double frequency, double amplitude);

AudioLevels MeasureLevels(const AudioFile& audio);

// A linear level in decibels full scale; -inf for 0.
double LevelToDecibels(double level);
