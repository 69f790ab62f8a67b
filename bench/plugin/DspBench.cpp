// Per-sample cost of the filter section and the bass exciter, alone and as the product runs
// them in stereo. Each iteration is one block; the "per_sample" counter is the time per
// sample (per frame for the stereo chain), including the copy of the block's input.

#include "BassExiter.h"
#include "ZurAR.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const double kSr = 44100.0;
const int kBlock = 512;

// A block of programme-like input: a few partials at moderate level.
std::vector<double> input(double detune)
{
  std::vector<double> x(kBlock);
  for (int i = 0; i < kBlock; ++i) {
    x[i] = 0.3 * std::sin(i * (0.013 + detune)) + 0.2 * std::sin(i * 0.17) + 0.1 * std::sin(i * 1.3);
  }
  return x;
}

void neutral(ZurAR& eq)
{
  eq.setLowShelv(0.0, 0.0, 1);
  eq.setMid(0.0, 832.0, 0);
  eq.setHiShelv(0.0, 2);
  eq.setHighPass(0.0);
  eq.setLowPass(22000.0);
}

void everyBand(ZurAR& eq)
{
  eq.setLowShelv(9.6, -11.0, 2);
  eq.setMid(6.0, 1200.0, 1);
  eq.setHiShelv(5.0, 2);
  eq.setHighPass(80.0);
  eq.setLowPass(15000.0);
}

void perSample(benchmark::State& state, int samplesPerIteration)
{
  state.counters["per_sample"] = benchmark::Counter(
      samplesPerIteration, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void runSection(benchmark::State& state, void (*configure)(ZurAR&))
{
  ZurAR eq(kSr);
  configure(eq);
  const std::vector<double> src = input(0.0);
  std::vector<double> buf(kBlock);
  for (auto _ : state) {
    std::memcpy(buf.data(), src.data(), sizeof(double) * kBlock);
    eq.blockProcess(kBlock);
    for (int i = 0; i < kBlock; ++i) {
      eq.process(&buf[i]);
    }
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  perSample(state, kBlock);
}

void BM_ZurARNeutral(benchmark::State& state)
{
  runSection(state, neutral);
}

void BM_ZurAREveryBand(benchmark::State& state)
{
  runSection(state, everyBand);
}

void BM_BassExiter(benchmark::State& state)
{
  BassExiter ex(kSr);
  ex.setDrive(4.5);
  ex.setWoow(int(state.range(0)));
  const std::vector<double> src = input(0.0);
  std::vector<double> buf(kBlock);
  for (auto _ : state) {
    std::memcpy(buf.data(), src.data(), sizeof(double) * kBlock);
    double peak = 0.0;
    for (int i = 0; i < kBlock; ++i) {
      ex.process(&buf[i], &peak);
    }
    benchmark::DoNotOptimize(peak);
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  perSample(state, kBlock);
}

// Two sections and two exciters, left then right per sample, as the processing chain runs them.
void BM_StereoChain(benchmark::State& state)
{
  ZurAR eq[2] = {ZurAR(kSr), ZurAR(kSr)};
  BassExiter ex[2] = {BassExiter(kSr), BassExiter(kSr)};
  for (int c = 0; c < 2; ++c) {
    everyBand(eq[c]);
    ex[c].setDrive(4.5);
    ex[c].setWoow(1);
  }
  const std::vector<double> srcL = input(0.0);
  const std::vector<double> srcR = input(0.001);
  std::vector<double> left(kBlock), right(kBlock);
  for (auto _ : state) {
    std::memcpy(left.data(), srcL.data(), sizeof(double) * kBlock);
    std::memcpy(right.data(), srcR.data(), sizeof(double) * kBlock);
    eq[0].blockProcess(kBlock);
    eq[1].blockProcess(kBlock);
    double peakL = 0.0, peakR = 0.0;
    for (int i = 0; i < kBlock; ++i) {
      eq[0].process(&left[i]);
      eq[1].process(&right[i]);
      ex[0].process(&left[i], &peakL);
      ex[1].process(&right[i], &peakR);
    }
    benchmark::DoNotOptimize(peakL);
    benchmark::DoNotOptimize(peakR);
    benchmark::DoNotOptimize(left.data());
    benchmark::DoNotOptimize(right.data());
    benchmark::ClobberMemory();
  }
  perSample(state, kBlock);
}

}  // namespace

BENCHMARK(BM_ZurARNeutral);
BENCHMARK(BM_ZurAREveryBand);
BENCHMARK(BM_BassExiter)->ArgName("woow")->Arg(0)->Arg(1);
BENCHMARK(BM_StereoChain);

BENCHMARK_MAIN();
