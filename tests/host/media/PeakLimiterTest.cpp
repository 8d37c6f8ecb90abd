// The speakers' peak limiter: a signal under its ceiling comes out bit for bit (later by the
// lookahead), a sudden +18 dBFS transient comes out with no sample over -1 dBFS, and the gain
// reduction and the time it acted are reported; restarted at a new rate it is the limiter made
// for that rate; the volume ramps without steps.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CommandHarness.h"
#include "host/media/OutputGain.h"
#include "host/media/PeakLimiter.h"

namespace {

using host::PeakLimiter;

const float kCeiling = float(std::pow(10.0, -1.0 / 20));

// Runs `in` (interleaved) through a fresh limiter in blocks of `block` frames, then as many
// frames of silence as its delay, and answers the output without the delay's leading silence.
std::vector<float> limit(PeakLimiter& limiter, const std::vector<float>& in, int channels, double rate, int64_t block) {
  limiter.configure(channels, rate);
  std::vector<float> out(in);
  out.resize(in.size() + size_t(limiter.latencyFrames()) * size_t(channels), 0.0f);
  const int64_t frames = int64_t(out.size()) / channels;
  for (int64_t at = 0; at < frames; at += block)
    limiter.process(out.data() + size_t(at) * size_t(channels), std::min(block, frames - at));
  out.erase(out.begin(), out.begin() + limiter.latencyFrames() * channels);
  return out;
}

TEST(PeakLimiterTest, ASignalUnderTheCeilingComesOutBitForBit) {
  for (const int channels : {1, 2, 6}) {
    host::DecodedAudio audio = tunely_test::testSignal(48000, channels, 1.0);
    // Up to just under the ceiling, at every block size the device may ask for.
    float peak = 0;
    for (float s : audio.samples) peak = std::max(peak, std::fabs(s));
    for (float& s : audio.samples) s *= kCeiling * 0.9999f / peak;
    for (const int64_t block : {1, 17, 512, 4096}) {
      PeakLimiter limiter;
      EXPECT_EQ(limit(limiter, audio.samples, channels, 48000, block), audio.samples) << channels << " in " << block;
      EXPECT_EQ(limiter.framesLimited(), 0);
      EXPECT_EQ(limiter.reductionDb(), 0.0);
      EXPECT_EQ(limiter.latencyFrames(), 240);  // 5 ms
    }
  }
}

TEST(PeakLimiterTest, AnEighteenDbTransientStaysUnderTheCeilingAndItsReductionShows) {
  const double rate = 44100;
  std::vector<float> in(size_t(rate) * 2 * 2);  // 2 s of stereo
  for (size_t f = 0; f < in.size() / 2; ++f) {
    // A quiet sine, then within 15 samples a jump to +18 dBFS (8 times full scale) for 50 ms.
    double level = 0.25;
    if (f >= 22050 && f < 22050 + 2205) level = 8.0 * std::min(1.0, double(f - 22050 + 1) / 15);
    const float s = float(level * std::sin(2 * M_PI * 220 * double(f) / rate));
    in[2 * f] = s;
    in[2 * f + 1] = -s;
  }
  for (const int64_t block : {64, 4096}) {
    PeakLimiter limiter;
    limiter.configure(2, rate);
    std::vector<float> out(in);
    double deepest = 0;
    for (size_t at = 0; at < out.size() / 2; at += size_t(block)) {
      limiter.process(out.data() + at * 2, std::min<int64_t>(block, int64_t(out.size() / 2 - at)));
      deepest = std::min(deepest, limiter.reductionDb());
    }
    float peak = 0;
    for (float s : out) peak = std::max(peak, std::fabs(s));
    EXPECT_LE(peak, kCeiling) << block;
    EXPECT_GT(peak, kCeiling * 0.99f) << "the peak itself reaches the ceiling";
    // 8 times full scale down to -1 dBFS is about 19 dB of reduction.
    EXPECT_NEAR(deepest, -19.06, 0.2) << block;
    // Acting: the 50 ms of the transient, the lookahead before it, and the release after it.
    const double seconds = double(limiter.framesLimited()) / rate;
    EXPECT_GT(seconds, 0.05);
    EXPECT_LT(seconds, 0.05 + 0.005 + 0.8);
    // Well after the release the quiet sine comes out unchanged again, as it went in.
    const size_t late = size_t(rate * 1.8), lag = size_t(limiter.latencyFrames());
    EXPECT_EQ(out[2 * late], in[2 * (late - lag)]);
  }
}

// A graph that changes rate restarts the limiter on the audio thread, within the room it was
// made with: it must then work exactly as one made for the new rate, whatever it held before
// (a transient in its delay and a reduction under way), and a rate beyond its room gets the
// longest lookahead it has.
TEST(PeakLimiterTest, RestartedAtANewRateItIsTheLimiterMadeForThatRate) {
  std::vector<float> loud(size_t(30000) * 2);
  for (size_t f = 0; f < loud.size() / 2; ++f) {
    const float s = float((f % 7000 < 300 ? 6.0 : 0.3) * std::sin(2 * M_PI * 330 * double(f) / 44100));
    loud[2 * f] = s;
    loud[2 * f + 1] = 0.5f * s;
  }
  for (const double rate : {44100.0, 96000.0, 192000.0}) {
    PeakLimiter fresh;
    const std::vector<float> expected = limit(fresh, loud, 2, rate, 512);
    PeakLimiter restarted;
    restarted.configure(2, 48000, 192000);
    std::vector<float> before(loud);
    restarted.process(before.data(), 6000);  // mid-transient when the rate changes
    ASSERT_LT(restarted.reductionDb(), -1.0);
    restarted.restart(rate);
    EXPECT_EQ(restarted.reductionDb(), 0.0);
    EXPECT_EQ(restarted.latencyFrames(), fresh.latencyFrames());
    std::vector<float> out(loud);
    out.resize(expected.size() + size_t(restarted.latencyFrames()) * 2, 0.0f);
    for (size_t at = 0; at < out.size() / 2; at += 512)
      restarted.process(out.data() + at * 2, std::min<int64_t>(512, int64_t(out.size() / 2 - at)));
    out.erase(out.begin(), out.begin() + restarted.latencyFrames() * 2);
    EXPECT_EQ(out, expected) << rate;
  }
  PeakLimiter narrow;
  narrow.configure(2, 48000);
  narrow.restart(96000);
  EXPECT_EQ(narrow.latencyFrames(), 240);
  EXPECT_EQ(narrow.sampleRate(), 96000);
}

TEST(PeakLimiterTest, NonFiniteSamplesDoNotStopIt) {
  PeakLimiter limiter;
  std::vector<float> in(44100, 0.5f);
  in[100] = NAN;
  in[300] = INFINITY;
  std::vector<float> out = limit(limiter, in, 1, 44100, 256);
  EXPECT_EQ(out[44099], 0.5f);  // recovered after the release
}

TEST(OutputGainTest, FullVolumeLeavesSamplesAloneAndAChangeRampsOverOneBlock) {
  host::OutputGain gain;
  gain.configure(1);
  std::vector<float> block(100, 0.5f);
  gain.process(block.data(), 100);
  EXPECT_EQ(block, std::vector<float>(100, 0.5f));
  gain.setVolume(0.5f);  // an eighth
  gain.process(block.data(), 100);
  for (size_t i = 1; i < block.size(); ++i) EXPECT_LT(block[i], block[i - 1]);
  EXPECT_FLOAT_EQ(block[99], 0.5f * 0.125f);
  std::fill(block.begin(), block.end(), 0.5f);
  gain.process(block.data(), 100);
  EXPECT_EQ(block, std::vector<float>(100, 0.0625f));
  EXPECT_EQ(host::OutputGain::gainForVolume(0), 0.0f);
  EXPECT_EQ(host::OutputGain::gainForVolume(NAN), 1.0f);
}

}  // namespace
