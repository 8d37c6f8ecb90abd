// What the sound device is asked to play: channel counts SDL takes, sample rates a device runs
// at. A track outside them is refused by name and value, and the queue goes on; the status for
// "no sound device" is not used for it. Live playback goes to SDL's disk audio driver.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "CommandHarness.h"
#include "host/media/DeviceSink.h"

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;

// A short 16-bit WAV file of any format libsndfile writes, its samples small and non-zero.
void writePcmWav(const std::string& path, int rate, int channels, int64_t frames) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  const std::vector<float> samples(size_t(frames) * size_t(channels), 0.25f);
  sf_writef_float(f, samples.data(), frames);
  sf_close(f);
}

class DeviceSinkLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", temp_.file("device.raw").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
  }
  TempFolder temp_;
};

TEST_F(DeviceSinkLimits, OpensForOneToEightChannelsAndRefusesOtherCountsAndRatesByValue) {
  host::DeviceSink sink;
  std::string error;
  for (int channels : {1, 8}) {
    ASSERT_TRUE(sink.open(44100, channels, 1024, error)) << error;
    EXPECT_EQ(sink.channels(), channels);
    sink.close();
  }
  // 256 would wrap to SDL's 0, "the default", and open stereo.
  for (int channels : {9, 256}) {
    error.clear();
    EXPECT_FALSE(sink.open(44100, channels, 1024, error)) << channels;
    EXPECT_NE(error.find(std::to_string(channels) + " channels"), std::string::npos) << error;
  }
  for (double rate : {999.0, 768001.0}) {
    error.clear();
    EXPECT_FALSE(sink.open(rate, 2, 1024, error)) << rate;
    EXPECT_NE(error.find(std::to_string(int(rate)) + " Hz"), std::string::npos) << error;
  }
  EXPECT_TRUE(sink.open(1000, 2, 1024, error)) << error;
  sink.close();
  EXPECT_TRUE(sink.open(768000, 2, 1024, error)) << error;
}

class SoundDeviceQueue : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return temp_.file(name); }
  // Plays the files on the disk driver, stopping it after 30 s if it has not ended by then.
  CommandResult playLive(const std::vector<std::string>& files) {
    std::vector<std::string> args{"play", "--device-root", file("device"), "--no-window"};
    args.insert(args.end(), files.begin(), files.end());
    RunningTunely tunely(args, temp_.path(),
                         {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", file("device.raw")}});
    return tunely.wait(30);
  }
  std::vector<float> played() const {
    std::vector<float> samples(fs::file_size(file("device.raw")) / sizeof(float));
    std::ifstream(file("device.raw"), std::ios::binary)
        .read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * sizeof(float)));
    return samples;
  }
  TempFolder temp_;
};

TEST_F(SoundDeviceQueue, TracksTheDeviceCannotPlayAreRefusedByNameAndValueAndTheQueueGoesOn) {
  writeFloatWav(file("first.wav"), testSignal(44100, 2, 0.3, 1));
  writePcmWav(file("wide.wav"), 44100, 256, 4410);
  writePcmWav(file("slow.wav"), 1, 2, 20000);  // five and a half hours at 1 Hz
  writeFloatWav(file("last.wav"), testSignal(44100, 2, 0.3, 2));
  const CommandResult r =
      playLive({file("first.wav"), file("wide.wav"), file("slow.wav"), file("last.wav")});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("\"" + file("wide.wav") + "\": it has 256 channels"), std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("\"" + file("slow.wav") + "\": its sample rate is 1 Hz"), std::string::npos)
      << r.output;
  // Both playable tracks played, one after the other.
  EXPECT_NE(r.output.find("1. " + file("first.wav")), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("2. " + file("last.wav")), std::string::npos) << r.output;
  const std::vector<float> music = played();
  const auto start = std::find_if(music.begin(), music.end(), [](float x) { return x != 0.0f; });
  const host::DecodedAudio first = testSignal(44100, 2, 0.3, 1), last = testSignal(44100, 2, 0.3, 2);
  ASSERT_GE(music.end() - start, ptrdiff_t(first.samples.size() + last.samples.size()));
  EXPECT_EQ(0, std::memcmp(&*start, first.samples.data(), first.samples.size() * 4));
  EXPECT_EQ(0, std::memcmp(&*start + first.samples.size(), last.samples.data(), last.samples.size() * 4));
}

TEST_F(SoundDeviceQueue, AFirstTrackOfTooManyChannelsIsNotTakenForAMissingDevice) {
  writePcmWav(file("nine.wav"), 48000, 9, 4800);
  writeFloatWav(file("stereo.wav"), testSignal(48000, 2, 0.2));
  const CommandResult r = playLive({file("nine.wav"), file("stereo.wav")});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("\"" + file("nine.wav") + "\": it has 9 channels"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("no sound device"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("1. " + file("stereo.wav")), std::string::npos) << r.output;
}

}  // namespace
