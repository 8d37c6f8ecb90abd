// Two sides of a stream measured in one pass (LoudnessMeter::addBoth, SignalAnalysis::addBoth)
// give the very figures two meters fed one after the other give: in step (one loop for both),
// out of step within a 100 ms block, at different rates, and beyond two channels (one after the
// other). Blocks of odd lengths cross the 100 ms boundaries at every offset.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/media/LoudnessMeter.h"
#include "host/media/SignalAnalysis.h"

namespace {

using host::LoudnessMeter;
using host::SignalAnalysis;

// Interleaved frames, each channel at its own frequency and level; `gain` sets the side apart.
std::vector<float> signal(int channels, int64_t frames, double rate, float gain) {
  std::vector<float> s(size_t(frames) * size_t(channels));
  for (int64_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      s[size_t(i) * size_t(channels) + size_t(c)] =
          gain * float((0.3 + 0.1 * c) * std::sin(2 * M_PI * (440.0 + 170.0 * c) * double(i) / rate) +
                       0.05 * std::sin(2 * M_PI * 60.0 * double(i) / rate));
  return s;
}

// The same double, NaN and infinities included.
void expectSameBits(double expected, double actual, const char* what) {
  EXPECT_EQ(0, std::memcmp(&expected, &actual, sizeof expected))
      << what << ": " << expected << " measured one after the other, " << actual << " together";
}

void expectSameFigures(const LoudnessMeter& expected, const LoudnessMeter& actual) {
  expectSameBits(expected.integrated(), actual.integrated(), "integrated");
  expectSameBits(expected.momentary(), actual.momentary(), "momentary");
  expectSameBits(expected.shortTerm(), actual.shortTerm(), "short-term");
}

struct Case {
  int channels;
  double rateIn, rateOut;
  int64_t headStart;  // frames the output meter is fed alone first, putting it out of step
};

class LoudnessBothSides : public testing::TestWithParam<Case> {};

TEST_P(LoudnessBothSides, GivesTheFiguresOfTwoMetersFedOneAfterTheOther) {
  const Case c = GetParam();
  const int64_t frames = int64_t(7.3 * c.rateIn);
  const std::vector<float> in = signal(c.channels, frames, c.rateIn, 1.0f);
  const std::vector<float> out = signal(c.channels, frames, c.rateOut, 1.7f);
  const std::vector<float> head = signal(c.channels, c.headStart, c.rateOut, 0.3f);
  LoudnessMeter aloneIn(c.channels, c.rateIn), aloneOut(c.channels, c.rateOut);
  LoudnessMeter bothIn(c.channels, c.rateIn), bothOut(c.channels, c.rateOut);
  aloneOut.add(head.data(), size_t(c.headStart));
  bothOut.add(head.data(), size_t(c.headStart));
  const int64_t blocks[] = {1, 4096, 333, 4410, 17, 8191, 2};
  for (int64_t at = 0, b = 0; at < frames; ++b) {
    const int64_t n = std::min(blocks[b % 7], frames - at);
    const size_t offset = size_t(at) * size_t(c.channels);
    aloneIn.add(in.data() + offset, size_t(n));
    aloneOut.add(out.data() + offset, size_t(n));
    LoudnessMeter::addBoth(bothIn, in.data() + offset, bothOut, out.data() + offset, size_t(n));
    at += n;
    if (b % 5 == 0) {  // at block boundaries along the way, not only at the end
      expectSameFigures(aloneIn, bothIn);
      expectSameFigures(aloneOut, bothOut);
    }
  }
  expectSameFigures(aloneIn, bothIn);
  expectSameFigures(aloneOut, bothOut);
  EXPECT_TRUE(std::isfinite(bothIn.integrated()));
  EXPECT_GT(bothOut.integrated(), bothIn.integrated());  // the louder side stays the louder
}

INSTANTIATE_TEST_SUITE_P(
    InStepAndNot, LoudnessBothSides,
    testing::Values(Case{2, 44100, 44100, 0}, Case{1, 48000, 48000, 0}, Case{2, 96000, 96000, 0},
                    Case{2, 44100, 44100, 1234}, Case{2, 44100, 48000, 0},
                    Case{6, 48000, 48000, 0}, Case{2, 44100, 44100, 4410}));

TEST(LoudnessBothSides, AFinishedMeterTakesNothingMoreWhileTheOtherGoesOn) {
  const std::vector<float> in = signal(2, 44100, 44100, 1.0f);
  LoudnessMeter aloneOut(2, 44100), bothIn(2, 44100), bothOut(2, 44100);
  LoudnessMeter::addBoth(bothIn, in.data(), bothOut, in.data(), 22050);
  aloneOut.add(in.data(), 22050);
  bothIn.finish();
  const double kept = bothIn.integrated();
  LoudnessMeter::addBoth(bothIn, in.data() + 44100, bothOut, in.data() + 44100, 22050);
  aloneOut.add(in.data() + 44100, 22050);
  expectSameBits(kept, bothIn.integrated(), "finished");
  expectSameFigures(aloneOut, bothOut);
}

TEST(SignalAnalysisBothSides, LevelsAndLoudnessAsIfMeasuredApart) {
  const std::vector<float> in = signal(2, 90000, 44100, 1.0f);
  const std::vector<float> out = signal(2, 90000, 44100, 2.5f);  // beyond full scale
  SignalAnalysis aloneIn(2, 44100), aloneOut(2, 44100), bothIn(2, 44100), bothOut(2, 44100);
  for (int64_t at = 0; at < 90000; at += 4096) {
    const int64_t n = std::min<int64_t>(4096, 90000 - at);
    aloneIn.add(in.data() + 2 * at, n);
    aloneOut.add(out.data() + 2 * at, n);
    SignalAnalysis::addBoth(bothIn, in.data() + 2 * at, bothOut, out.data() + 2 * at, n);
  }
  for (auto [alone, both] : {std::pair{&aloneIn, &bothIn}, std::pair{&aloneOut, &bothOut}}) {
    EXPECT_EQ(alone->levels().peak(), both->levels().peak());
    expectSameBits(alone->levels().rms(), both->levels().rms(), "RMS");
    expectSameBits(alone->levels().bassRms(), both->levels().bassRms(), "bass RMS");
    EXPECT_EQ(alone->levels().beyondFullScale(), both->levels().beyondFullScale());
    expectSameFigures(alone->loudnessMeter(), both->loudnessMeter());
  }
  EXPECT_GT(bothOut.levels().beyondFullScale(), 0);
}

}  // namespace
