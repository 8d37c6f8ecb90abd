// Designs and evaluation of a single section, independent of the engine's globals.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Lowtide/engine/biquad.h"

using lowtide::biquad;
using lowtide::bq;
using lowtide::bqn;

namespace {

struct FreeSection {
  void operator()(biquad* s) const { lowtide::bqfree(s); }
};
using Section = std::unique_ptr<biquad, FreeSection>;

Section design(int type, float gainDb, float freq, float rate = 44100.0f, float bandwidth = 1.0f) {
  return Section(bqn(type, gainDb, freq, rate, bandwidth));
}

float c(const std::atomic<float>& v) { return v.load(); }

float settle(biquad* s, float input, int samples) {
  float y = 0.0f;
  for (int i = 0; i < samples; ++i) y = bq(input, s);
  return y;
}

}  // namespace

TEST(BiquadDesign, RejectsUnknownTypes) {
  EXPECT_EQ(bqn(4, 0.0f, 1000.0f, 44100.0f, 1.0f), nullptr);
  EXPECT_EQ(bqn(-1, 0.0f, 1000.0f, 44100.0f, 1.0f), nullptr);
}

TEST(BiquadDesign, LowPassHasUnityDcGainAndHalvedOuterTaps) {
  // Far below 1 kHz the single-precision feedback coefficients nearly cancel (1 + c3 + c4 is
  // tiny), so the settled level carries their rounding; these corners keep it within 1e-4.
  for (float f : {1000.0f, 5000.0f, 12000.0f}) {
    Section s = design(0, 7.0f, f);  // the gain is ignored by low pass
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(c(s->c0), c(s->c2));
    EXPECT_EQ(c(s->c0), c(s->c1) / 2.0f);
    EXPECT_NEAR(settle(s.get(), 0.75f, 200000), 0.75f, 1e-4f) << f;
  }
}

TEST(BiquadDesign, HighPassSettlesAtZeroForConstantInput) {
  Section s = design(1, 0.0f, 200.0f);
  ASSERT_NE(s, nullptr);
  EXPECT_NEAR(settle(s.get(), 1.0f, 100000), 0.0f, 1e-5f);
}

TEST(BiquadDesign, FlatShelfIsUnityWhateverTheFrequency) {
  for (float f : {100.0f, 3000.0f, 15000.0f}) {
    Section s = design(2, 0.0f, f, 44100.0f, 3.0f);
    ASSERT_NE(s, nullptr);
    // b = a, so after normalisation c0 = 1, c1 = c3 and c2 = c4 up to rounding.
    EXPECT_NEAR(c(s->c0), 1.0f, 1e-6f);
    EXPECT_NEAR(c(s->c1), c(s->c3), 1e-6f);
    EXPECT_NEAR(c(s->c2), c(s->c4), 1e-6f);
  }
}

TEST(BiquadDesign, FlatPeakPassesInputUnchanged) {
  Section s = design(3, 0.0f, 1000.0f, 44100.0f, 2.0f);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(c(s->c0), 1.0f);
  EXPECT_EQ(c(s->c1), c(s->c3));
  EXPECT_EQ(c(s->c2), c(s->c4));
  EXPECT_EQ(bq(0.3f, s.get()), 0.3f);  // zero history: the first sample exactly
  for (int i = 0; i < 1000; ++i) {
    const float x = std::sin(0.05f * static_cast<float>(i));
    EXPECT_NEAR(bq(x, s.get()), x, 1e-5f);
  }
}

TEST(BiquadDesign, PeakBoostsItsCentreAndLeavesFarFrequenciesAlone) {
  Section s = design(3, 12.0f, 1000.0f, 44100.0f, 1.0f);
  ASSERT_NE(s, nullptr);
  auto amplitudeAt = [&](float hz) {
    float peak = 0.0f;
    for (int i = 0; i < 44100; ++i) {
      const float y = bq(std::sin(6.2831853f * hz * static_cast<float>(i) / 44100.0f), s.get());
      if (i > 22050) peak = std::max(peak, std::fabs(y));
    }
    return peak;
  };
  EXPECT_NEAR(amplitudeAt(1000.0f), 3.98f, 0.1f);  // +12 dB
  EXPECT_NEAR(amplitudeAt(20.0f), 1.0f, 0.05f);
}

TEST(BiquadEvaluation, FirstOutputIsC0TimesSampleAndHistoryShifts) {
  Section s = design(0, 0.0f, 5000.0f);
  ASSERT_NE(s, nullptr);
  const float c0 = c(s->c0);
  EXPECT_EQ(bq(0.5f, s.get()), c0 * 0.5f);
  const float y1 = c(s->y1);
  EXPECT_EQ(c(s->x1), 0.5f);
  const float second = bq(-0.25f, s.get());
  EXPECT_EQ(second, (c0 * -0.25f + c(s->c1) * 0.5f) - c(s->c3) * y1);
  EXPECT_EQ(c(s->x1), -0.25f);
  EXPECT_EQ(c(s->x2), 0.5f);
  EXPECT_EQ(c(s->y1), second);
  EXPECT_EQ(c(s->y2), y1);
}

TEST(BiquadEvaluation, CoefficientCopyFollowsInPlaceRewrites) {
  Section s = design(0, 0.0f, 5000.0f);
  ASSERT_NE(s, nullptr);
  bq(1.0f, s.get());
  s->c0.store(0.125f);
  s->c3.store(-0.5f);
  bq(1.0f, s.get());
  const float expected[5] = {c(s->c0), c(s->c1), c(s->c2), c(s->c3), c(s->c4)};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s->coefCopy[i].load(), expected[i]) << i;
}
