// Integrated loudness against EBU Tech 3341's reference signals, and which layout a track of
// each channel count is handed to the equalizer in.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/media/LoudnessMeter.h"
#include "host/media/StreamFormat.h"

namespace {

// A stereo 1 kHz sine with this peak level in both channels.
std::vector<float> sine(double rate, double seconds, double peakDbfs) {
  const double amplitude = std::pow(10.0, peakDbfs / 20);
  std::vector<float> s(size_t(rate * seconds) * 2);
  for (size_t i = 0; i < s.size() / 2; ++i)
    s[2 * i] = s[2 * i + 1] = float(amplitude * std::sin(2 * M_PI * 1000 * double(i) / rate));
  return s;
}

double measure(const std::vector<float>& stereo, double rate) {
  host::LoudnessMeter meter(2, rate);
  for (size_t at = 0; at < stereo.size(); at += 2 * 4096)  // in blocks, as a player adds them
    meter.add(stereo.data() + at, std::min<size_t>(4096, (stereo.size() - at) / 2));
  meter.finish();
  meter.finish();
  return meter.integrated();
}

TEST(LoudnessMeter, ReadsTheReferenceSinesAsEbuTech3341Has) {
  for (double rate : {44100.0, 48000.0}) {
    const std::vector<float> case1 = sine(rate, 20, -23), case2 = sine(rate, 20, -33);
    EXPECT_NEAR(measure(case1, rate), -23.0, 0.1) << rate;
    EXPECT_NEAR(measure(case2, rate), -33.0, 0.1) << rate;
  }
}

TEST(LoudnessMeter, SilenceIsMinusInfinityAndTooShortAStretchHasNoFigure) {
  EXPECT_EQ(measure(std::vector<float>(48000 * 2 * 2, 0.0f), 48000), -HUGE_VAL);
  EXPECT_TRUE(std::isnan(measure(sine(48000, 0.3, -23), 48000)));
  host::LoudnessMeter unmeasured(2, 48000);
  unmeasured.finish();
  EXPECT_TRUE(std::isnan(unmeasured.integrated()));
}

TEST(StreamLayout, MonoAndStereoGoPerChannelMoreChannelsInterleavedUnlessAsked) {
  using host::SampleLayout;
  EXPECT_EQ(host::layoutFor(SampleLayout::Automatic, 1), SampleLayout::NonInterleaved);
  EXPECT_EQ(host::layoutFor(SampleLayout::Automatic, 2), SampleLayout::NonInterleaved);
  EXPECT_EQ(host::layoutFor(SampleLayout::Automatic, 8), SampleLayout::Interleaved);
  EXPECT_EQ(host::layoutFor(SampleLayout::NonInterleaved, 8), SampleLayout::NonInterleaved);
  EXPECT_TRUE(host::equalizerFilters(SampleLayout::Automatic, 8));
  EXPECT_TRUE(host::equalizerFilters(SampleLayout::Interleaved, 6));
  EXPECT_TRUE(host::equalizerFilters(SampleLayout::NonInterleaved, 2));
  EXPECT_FALSE(host::equalizerFilters(SampleLayout::NonInterleaved, 3));
  EXPECT_EQ(host::floatStreamDescription(48000, 8, SampleLayout::Automatic).mFormatFlags, 9u);
}

}  // namespace
