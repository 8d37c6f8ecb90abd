// What the summary's measures cost per sample, on stereo blocks of 4096 frames: the level meter
// (peak, RMS, bass RMS, samples beyond full scale, with its accumulators in registers), the
// sample-by-sample meter it replaced, and the loudness meter beside libebur128 (its reference)
// on the same input, for stereo and for 6 channels.
#include <benchmark/benchmark.h>
#include <ebur128.h>

#include <cmath>
#include <vector>

#include "host/media/LevelMeter.h"
#include "host/media/LoudnessMeter.h"

namespace {

constexpr size_t kFrames = 4096;
constexpr double kRate = 44100;

std::vector<float> stereoBlock() {
  std::vector<float> s(2 * kFrames);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = float(0.4 * std::sin(0.0123 * double(i)) + 0.2 * std::sin(0.71 * double(i)));
  return s;
}

void report(benchmark::State& state) {
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(2 * kFrames));  // samples
}

void levelMeter(benchmark::State& state) {
  const std::vector<float> block = stereoBlock();
  host::LevelMeter meter(2, kRate);
  for (auto _ : state) {
    meter.add(block.data(), block.size());
    benchmark::DoNotOptimize(meter);
  }
  report(state);
}

// A track's input and output, as the decoding thread measures them: samples of both counted.
void levelMeterBothSides(benchmark::State& state) {
  const std::vector<float> block = stereoBlock();
  host::LevelMeter in(2, kRate), out(2, kRate);
  for (auto _ : state) {
    host::LevelMeter::addBoth(in, block.data(), out, block.data(), block.size());
    benchmark::DoNotOptimize(in);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(4 * kFrames));
}

// The meter as it was: every accumulator and the channel index kept in the object, one sample at
// a time.
void sampleBySampleMeter(benchmark::State& state) {
  const std::vector<float> block = stereoBlock();
  struct {
    std::vector<double> low = std::vector<double>(2, 0.0);
    double step = 1.0 - std::exp(-2.0 * M_PI * host::kBassBandHz / kRate);
    double bass = 0, sum = 0;
    size_t channel = 0;
    float peak = 0;
    int64_t count = 0, overs = 0;
  } m;
  for (auto _ : state) {
    for (float x : block) {
      const float a = std::fabs(x);
      if (a > m.peak) m.peak = a;
      if (a > 1.0f) ++m.overs;
      m.sum += double(x) * x;
      double& low = m.low[m.channel];
      low += m.step * (x - low);
      m.bass += low * low;
      if (++m.channel == m.low.size()) m.channel = 0;
    }
    m.count += int64_t(block.size());
    benchmark::DoNotOptimize(m);
  }
  report(state);
}

// The same sines in `channels` channels, each a little different.
std::vector<float> frames(int channels) {
  std::vector<float> s(size_t(channels) * kFrames);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = float(0.4 * std::sin(0.0123 * double(i)) + 0.2 * std::sin(0.71 * double(i)));
  return s;
}

void reportSamples(benchmark::State& state, int channels) {
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFrames) * channels);
}

void loudness(benchmark::State& state) {
  const int channels = int(state.range(0));
  const std::vector<float> block = frames(channels);
  host::LoudnessMeter meter(channels, kRate);
  for (auto _ : state) meter.add(block.data(), kFrames);
  benchmark::DoNotOptimize(meter.integrated());
  reportSamples(state, channels);
}

// Two sides of one stream (what goes into the tap and what comes out) measured together, as a
// render measures them: the samples counted are both sides'.
void loudnessBothSides(benchmark::State& state) {
  const int channels = int(state.range(0));
  const std::vector<float> input = frames(channels);
  std::vector<float> output(input.size());
  for (size_t i = 0; i < output.size(); ++i) output[i] = 0.5f * input[i];
  host::LoudnessMeter in(channels, kRate), out(channels, kRate);
  for (auto _ : state) host::LoudnessMeter::addBoth(in, input.data(), out, output.data(), kFrames);
  benchmark::DoNotOptimize(in.integrated() + out.integrated());
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFrames) * channels * 2);
}

// libebur128 as the player used it: integrated loudness, histogram mode for long files.
void loudnessLibebur128(benchmark::State& state) {
  const int channels = int(state.range(0));
  const std::vector<float> block = frames(channels);
  ebur128_state* meter =
      ebur128_init(unsigned(channels), (unsigned long)kRate, EBUR128_MODE_I | EBUR128_MODE_HISTOGRAM);
  for (auto _ : state) ebur128_add_frames_float(meter, block.data(), kFrames);
  double lufs = 0;
  ebur128_loudness_global(meter, &lufs);
  benchmark::DoNotOptimize(lufs);
  ebur128_destroy(&meter);
  reportSamples(state, channels);
}

}  // namespace

BENCHMARK(levelMeter);
BENCHMARK(levelMeterBothSides);
BENCHMARK(sampleBySampleMeter);
BENCHMARK(loudness)->Arg(2)->Arg(6);
BENCHMARK(loudnessBothSides)->Arg(2)->Arg(6);
BENCHMARK(loudnessLibebur128)->Arg(2)->Arg(6);
BENCHMARK_MAIN();
