#pragma once

// Measures what a listener hears of a DSP unit: a sine goes in, and the output's component at
// the sine's frequency (and its harmonics) comes back as a complex gain, found by
// correlating one second of settled output with sine and cosine. One second of a
// whole-hertz tone holds whole cycles, so the correlation has no leakage.

#include <cmath>
#include <complex>
#include <vector>

namespace tone {

constexpr double kPi = 3.141592653589793;

// argument of sin(2 pi f n / sr), kept exact for large n by reducing f n modulo sr
inline double phaseAt(double freq, long n, double sr)
{
  return 2.0 * kPi * std::fmod(freq * double(n), sr) / sr;
}

// Feeds amp sin(2 pi f n / sr) through step (double -> double), lets it settle for
// settleSeconds, then returns the output's components at harmonics 1 .. count of f,
// divided by amp: magnitude is gain, argument is phase against the input sine.
template <class Step>
std::vector<std::complex<double>> harmonics(Step&& step, double freq, double sr, int count = 1,
                                            double amp = 1.0, double settleSeconds = 1.0)
{
  const long settle = long(settleSeconds * sr);
  const long window = long(sr);
  std::vector<std::complex<double>> acc(count);
  for (long n = 0; n < settle + window; ++n) {
    const double y = step(amp * std::sin(phaseAt(freq, n, sr)));
    if (n < settle) {
      continue;
    }
    for (int k = 1; k <= count; ++k) {
      const double ph = phaseAt(freq * k, n, sr);
      acc[k - 1] += std::complex<double>(y * std::sin(ph), y * std::cos(ph));
    }
  }
  for (auto& c : acc) {
    c *= 2.0 / (double(window) * amp);
  }
  return acc;
}

template <class Step>
std::complex<double> response(Step&& step, double freq, double sr)
{
  return harmonics(step, freq, sr)[0];
}

// Response at f of an ideal one-pole low-pass y += k (x - y) whose corner is fc.
inline std::complex<double> onePoleLowPass(double fc, double f, double sr)
{
  const double k = 1.0 - std::exp(-2.0 * kPi * fc / sr);
  const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f / sr);
  return k / (1.0 - (1.0 - k) * z1);
}

// Corner in Hz of the one-pole low-pass with coefficient k (or pole 1 - k).
inline double cornerOfCoef(double k, double sr)
{
  return -std::log(1.0 - k) * sr / (2.0 * kPi);
}

// True when a unit's output or any of its states (copyStates) is a denormal number.
template <class Unit>
bool anySubnormal(const Unit& unit, double out)
{
  double states[Unit::kNumStates];
  unit.copyStates(states);
  bool found = std::fpclassify(out) == FP_SUBNORMAL;
  for (double s : states) {
    found = found || std::fpclassify(s) == FP_SUBNORMAL;
  }
  return found;
}

}  // namespace tone
