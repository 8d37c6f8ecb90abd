// The curve's peak against the engine itself: an impulse walked through the real kernels for
// every filter type, with and without the bass stage, on one and two channels; the largest level
// of its spectrum (a centred impulse, as the curve's level line) is the peak the curve names,
// within 0.1 dB, and found where the curve says.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/KernelWalk.h"
#include "Lowtide/response/LiveChain.h"
#include "Lowtide/response/PeakGain.h"

namespace {

namespace eq = lowtide;
constexpr double kRate = 44100;
constexpr size_t kFrames = 8192;  // long past the chain's decay

void startEngine(int type, bool bass) {
  eq::resetEngineForTesting();
  eq::enabled = true;
  eq::bassenabled = bass;
  eq::prepareEq(kRate);
  eq::eqType = type;
  eq::freq = type == 2 ? 3000.0 : 900.0;
  eq::gain = 9.0;
  eq::bandwidth = 2.0;
  eq::bassfreq = 60.0;
  eq::bassintens = 1.5;
  eq::bassgain = 0.8;
  eq::updateEq();
}

// The first channel's response to an impulse in every channel, at `frequency`.
double measuredDb(const std::vector<float>& first, double frequency) {
  std::complex<double> sum = 0, phasor = 1;
  const std::complex<double> step = std::polar(1.0, -2 * M_PI * frequency / kRate);
  for (size_t m = 0; m < first.size(); ++m, phasor *= step) sum += double(first[m]) * phasor;
  return 20 * std::log10(std::abs(sum));
}

TEST(PeakGain, IsTheLargestLevelOfARenderedImpulseForEveryFilterType) {
  for (int channels : {1, 2})
    for (int type : {0, 1, 2})
      for (bool bass : {false, true}) {
        SCOPED_TRACE(testing::Message() << channels << " ch, type " << type << (bass ? ", bass" : ""));
        startEngine(type, bass);
        std::vector<float> buffer(kFrames * size_t(channels), 0.0f);
        for (int c = 0; c < channels; ++c) buffer[size_t(c)] = 1.0f;
        eq::walkKernel(buffer.data(), nullptr, buffer.size());
        std::vector<float> first(kFrames);
        for (size_t m = 0; m < kFrames; ++m) first[m] = buffer[m * size_t(channels)];
        startEngine(type, bass);
        const std::optional<eq::PeakGain> peak = eq::peakGain(eq::liveChain(channels));
        ASSERT_TRUE(peak);
        // The spectrum's largest level over a grid of 48 points an octave, and at the peak's own frequency.
        double largest = -INFINITY;
        for (double f = 20; f < kRate / 2; f *= std::exp2(1.0 / 48)) largest = std::max(largest, measuredDb(first, f));
        largest = std::max(largest, measuredDb(first, kRate / 2));
        EXPECT_NEAR(peak->levelDb, largest, 0.1);
        EXPECT_NEAR(measuredDb(first, peak->frequency), peak->levelDb, 0.1);
        EXPECT_GE(peak->levelDb, largest - 0.01);  // nothing measured lies above the peak found
      }
  eq::resetEngineForTesting();
}

TEST(PeakGain, NamesTheLevelAndTheFrequencyAsTheScreenShowsThem) {
  EXPECT_EQ(eq::peakText({63.2, 9.43}), "peak +9.4 dB at 63 Hz");
  EXPECT_EQ(eq::peakText({2240, -0.26}), "peak \u22120.3 dB at 2.2 kHz");
  EXPECT_EQ(eq::peakText({20, -0.02}), "peak 0.0 dB at 20 Hz");
  EXPECT_EQ(eq::peakText({20, -INFINITY}), "no sound passes");
}

}  // namespace
