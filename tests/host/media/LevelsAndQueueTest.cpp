// Level meters and the offline queue's format check.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "host/media/LevelMeter.h"
#include "host/media/OfflineRenderer.h"

namespace {

TEST(LevelMeter, PeakRmsAndSamplesBeyondFullScale) {
  host::LevelMeter m;
  EXPECT_EQ(m.rms(), 0.0);
  const float a[] = {0.5f, -1.5f, 1.0f};
  const float b[] = {0.0f, -1.0000001f};
  m.add(a, 3);
  m.add(b, 2);
  EXPECT_EQ(m.peak(), 1.5f);
  EXPECT_EQ(m.beyondFullScale(), 2);  // exactly 1.0 is still full scale
  EXPECT_DOUBLE_EQ(m.rms(), std::sqrt((0.25 + 2.25 + 1.0 + double(b[1]) * b[1]) / 5));
  EXPECT_DOUBLE_EQ(host::toDecibels(0.5), 20 * std::log10(0.5));
  EXPECT_TRUE(std::isinf(host::toDecibels(0)));
}

// The input and output of a track measured together end with exactly the bits of two meters fed
// one after the other: in uneven chunks, after a call that left a frame open, with samples beyond
// full scale and subnormals, and (falling back) for meters not in step.
TEST(LevelMeter, BothSidesTogetherGiveTheBitsOfTwoMeters) {
  std::mt19937 random(17);
  std::normal_distribution<float> noise(0.0f, 0.6f);
  std::vector<float> x(2 * 9001), y(x.size());
  for (size_t i = 0; i < x.size(); ++i) x[i] = noise(random), y[i] = 0.5f * noise(random);
  x[101] = 3.5f, y[7] = -2.0f, x[4000] = 1e-40f, y[4001] = -1e-39f;
  struct Case {
    int channelsA, channelsB;
    double rateA, rateB;
    std::vector<size_t> chunks;  // samples per call, repeated
  };
  const Case cases[] = {
      {2, 2, 44100, 44100, {2 * 4096}},
      {2, 2, 48000, 48000, {2, 14, 6, 2 * 333, 8}},
      {2, 2, 44100, 44100, {3, 8, 5, 2 * 1000}},  // odd calls leave a frame open
      {2, 2, 44100, 96000, {2 * 512}},           // different low passes
      {1, 1, 44100, 44100, {1000}},
      {2, 2, 44100, 0, {64}},                    // one without a bass band
  };
  for (const Case& c : cases) {
    host::LevelMeter a(c.channelsA, c.rateA), b(c.channelsB, c.rateB);
    host::LevelMeter sepA(c.channelsA, c.rateA), sepB(c.channelsB, c.rateB);
    size_t at = 0;
    for (size_t k = 0; at < x.size(); ++k) {
      const size_t n = std::min(c.chunks[k % c.chunks.size()], x.size() - at);
      host::LevelMeter::addBoth(a, x.data() + at, b, y.data() + at, n);
      sepA.add(x.data() + at, n);
      sepB.add(y.data() + at, n);
      at += n;
    }
    const std::pair<const host::LevelMeter*, const host::LevelMeter*> pairs[] = {{&a, &sepA},
                                                                                  {&b, &sepB}};
    for (const auto& [both, alone] : pairs) {
      EXPECT_EQ(both->peak(), alone->peak());
      EXPECT_EQ(both->rms(), alone->rms());
      EXPECT_EQ(both->bassRms(), alone->bassRms());
      EXPECT_EQ(both->beyondFullScale(), alone->beyondFullScale());
      EXPECT_EQ(both->samples(), alone->samples());
    }
  }
}

TEST(LevelMeter, BassLevelFollowsLowFrequenciesInEachChannel) {
  // Stereo: left a 50 Hz sine, right a 5 kHz sine, each measured through its own low pass.
  auto stereo = [](double leftHz, double rightHz) {
    std::vector<float> s;
    for (int i = 0; i < 44100; ++i) {
      s.push_back(float(std::sin(2 * M_PI * leftHz * i / 44100)));
      s.push_back(float(std::sin(2 * M_PI * rightHz * i / 44100)));
    }
    return s;
  };
  host::LevelMeter low(2, 44100), high(2, 44100), none(2, 0);
  const std::vector<float> lows = stereo(50, 50), highs = stereo(5000, 5000),
                           mixed = stereo(50, 5000);
  low.add(lows.data(), lows.size());
  high.add(highs.data(), highs.size());
  none.add(mixed.data(), mixed.size());
  EXPECT_NEAR(low.bassRms() / low.rms(), 0.95, 0.05);
  EXPECT_LT(high.bassRms() / high.rms(), 0.05);
  EXPECT_EQ(none.bassRms(), 0.0);
  host::LevelMeter split(2, 44100);
  split.add(mixed.data(), mixed.size());
  // Half the samples carry bass: the channels' filters do not mix.
  EXPECT_NEAR(split.bassRms() / low.bassRms(), std::sqrt(0.5), 0.02);
}

// The meter measures whole frames several at a time; it must agree with the plain definition,
// one sample after another, whatever the channel count and however the samples are split up.
TEST(LevelMeter, AgreesWithTheSampleBySampleDefinitionForAnyChannelCountAndSplit) {
  for (int channels : {1, 2, 3, 8}) {
    std::vector<float> s;
    for (int i = 0; i < 1001 * channels; ++i)
      s.push_back(float(1.2 * std::sin(0.003 * i * (1 + i % channels)) + 0.05 * std::sin(1.3 * i)));
    const double step = 1.0 - std::exp(-2.0 * M_PI * host::kBassBandHz / 48000);
    std::vector<double> low(size_t(channels), 0.0);
    double peak = 0, sum = 0, bass = 0;
    int64_t overs = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      peak = std::max(peak, double(std::fabs(s[i])));
      overs += std::fabs(s[i]) > 1.0f;
      sum += double(s[i]) * s[i];
      double& y = low[i % size_t(channels)];
      y += step * (s[i] - y);
      bass += y * y;
    }
    host::LevelMeter whole(channels, 48000), pieces(channels, 48000);
    whole.add(s.data(), s.size());
    for (size_t at = 0, n = 1; at < s.size(); at += n, n = n % 37 + 5)
      pieces.add(s.data() + at, std::min(n, s.size() - at));
    for (const host::LevelMeter* m : {&whole, &pieces}) {
      EXPECT_EQ(m->peak(), float(peak)) << channels;
      EXPECT_EQ(m->beyondFullScale(), overs) << channels;
      EXPECT_EQ(m->samples(), int64_t(s.size()));
      EXPECT_NEAR(m->rms(), std::sqrt(sum / double(s.size())), 1e-12) << channels;
      EXPECT_NEAR(m->bassRms(), std::sqrt(bass / double(s.size())), 1e-9) << channels;
    }
  }
}

TEST(OfflineQueue, AFormatMismatchNamesTheFirstFileThatDiffers) {
  using host::QueuedFile;
  std::vector<QueuedFile> q{{"a.wav", {44100, 2, 10, "", ""}}, {"b.wav", {44100, 2, 5, "", ""}}};
  EXPECT_EQ(host::findFormatMismatch(q), "");
  q.push_back({"c.wav", {48000, 2, 5, "", ""}});
  q.push_back({"d.wav", {44100, 1, 5, "", ""}});
  const std::string message = host::findFormatMismatch(q);
  EXPECT_NE(message.find("\"c.wav\" has 48000 Hz, 2 channels but \"a.wav\" has 44100 Hz, 2 channels;"),
            std::string::npos)
      << message;
  EXPECT_EQ(message.find("d.wav"), std::string::npos) << message;
}

}  // namespace
