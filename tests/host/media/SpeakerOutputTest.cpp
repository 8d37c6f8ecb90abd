// What reaches the speakers through the `tunely` command: the peak limiter keeps a +18 dBFS
// transient under -1 dBFS on the sound device (SDL's disk driver) unless --no-limiter, leaves a
// file untouched unless --limiter (and then untouched bit for bit while under the ceiling), and
// the volume set on the screen is kept for the next session.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "CommandHarness.h"

namespace {

using namespace tunely_test;

const float kCeiling = float(std::pow(10.0, -1.0 / 20));

float peakOf(const std::vector<float>& samples) {
  float peak = 0;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

std::vector<float> rawFloats(const std::string& path) {
  const std::string bytes = fileContents(path);
  std::vector<float> samples(bytes.size() / sizeof(float));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
  return samples;
}

class SpeakerOutputTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return temp_.file(name); }
  // The test signal at -12 dBFS with, from 0.5 s, 50 ms eight times louder (+18 dBFS) reached
  // within 15 samples. Under 2 s, before the player loads the equalizer's last state.
  host::DecodedAudio transient() const {
    host::DecodedAudio audio = testSignal(44100, 2, 1.5);
    const float peak = peakOf(audio.samples);
    for (int64_t f = 0; f < audio.frames; ++f) {
      float level = 0.25f / peak;
      if (f >= 22050 && f < 22050 + 2205) level *= 32.0f * std::min(1.0f, float(f - 22050 + 1) / 15);
      audio.samples[size_t(f) * 2] *= level;
      audio.samples[size_t(f) * 2 + 1] *= level;
    }
    return audio;
  }
  CommandResult live(const std::vector<std::string>& extra, const std::string& raw) {
    std::vector<std::string> args{"play", "--device-root", file("device"), "--no-window"};
    args.insert(args.end(), extra.begin(), extra.end());
    return runTunely(args, temp_.path(), {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", raw}});
  }
  TempFolder temp_;
};

TEST_F(SpeakerOutputTest, TheSoundDeviceGetsNoSampleOverTheCeilingUnlessTheLimiterIsOff) {
  writeFloatWav(file("loud.wav"), transient());
  const CommandResult limited = live({file("loud.wav")}, file("limited.raw"));
  ASSERT_EQ(limited.status, 0) << limited.output;
  EXPECT_NE(limited.output.find("Limiter: acted for 0."), std::string::npos) << limited.output;
  EXPECT_LE(peakOf(rawFloats(file("limited.raw"))), kCeiling);

  const CommandResult unlimited = live({file("loud.wav"), "--no-limiter"}, file("unlimited.raw"));
  ASSERT_EQ(unlimited.status, 0) << unlimited.output;
  EXPECT_EQ(unlimited.output.find("Limiter:"), std::string::npos) << unlimited.output;
  EXPECT_GT(peakOf(rawFloats(file("unlimited.raw"))), 7.0f);
}

TEST_F(SpeakerOutputTest, AFileIsLimitedOnlyWhenAskedAndThenKeepsEverySampleUnderTheCeiling) {
  const host::DecodedAudio loud = transient();
  writeFloatWav(file("loud.wav"), loud);
  const std::vector<std::string> render{"play", "--device-root", file("device"), file("loud.wav"), "--output"};
  auto args = [&](const std::string& out, bool limiter) {
    std::vector<std::string> a(render);
    a.push_back(file(out));
    if (limiter) a.push_back("--limiter");
    return a;
  };
  ASSERT_EQ(runTunely(args("plain.wav", false), temp_.path()).status, 0);
  EXPECT_EQ(readWav(file("plain.wav")).samples, loud.samples);
  const CommandResult r = runTunely(args("limited.wav", true), temp_.path());
  ASSERT_EQ(r.status, 0) << r.output;
  const host::DecodedAudio limited = readWav(file("limited.wav"));
  ASSERT_EQ(limited.frames, loud.frames);  // the limiter's delay is taken back
  EXPECT_LE(peakOf(limited.samples), kCeiling);
  // Before the transient's lookahead the file is the music bit for bit.
  const size_t before = size_t(22050 - 221) * 2;
  EXPECT_TRUE(std::equal(loud.samples.begin(), loud.samples.begin() + long(before), limited.samples.begin()));

  host::DecodedAudio quiet = testSignal(44100, 2, 1.5);
  writeFloatWav(file("quiet.wav"), quiet);
  const CommandResult q = runTunely({"play", "--device-root", file("device"), file("quiet.wav"), "--output",
                                     file("quiet-out.wav"), "--limiter"},
                                    temp_.path());
  ASSERT_EQ(q.status, 0) << q.output;
  EXPECT_NE(q.output.find("Limiter: never acted"), std::string::npos) << q.output;
  EXPECT_EQ(readWav(file("quiet-out.wav")).samples, quiet.samples);
}

TEST_F(SpeakerOutputTest, TheVolumeSetOnTheScreenIsKeptForTheNextSession) {
  const host::DecodedAudio in = testSignal(44100, 2, 1.0);
  writeFloatWav(file("in.wav"), in);
  std::ofstream(file("volume.script")) << "0.1 slide volume 0.5\n";
  const CommandResult first = live({file("in.wav"), "--script", file("volume.script")}, file("first.raw"));
  ASSERT_EQ(first.status, 0) << first.output;
  EXPECT_EQ(fileContents(file("device") + "/var/mobile/Library/Preferences/tunely-player.conf"), "volume=0.500\n");
  // The next session starts at that volume: an eighth of the level (-18 dB).
  const CommandResult second = live({file("in.wav")}, file("second.raw"));
  ASSERT_EQ(second.status, 0) << second.output;
  EXPECT_NEAR(peakOf(rawFloats(file("second.raw"))), peakOf(in.samples) * 0.125f, 1e-4);
}

}  // namespace
