// A player session in a fresh device root, with the system's hooks installed into the player's
// classes (once per process, as the loaded library would), the run loop on a test clock and the
// system log captured.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/player/ControlsHooks.h"
#include "Lowtide/player/HookRegistry.h"
#include "Lowtide/player/ShowControls.h"
#include "Lowtide/player/TapAttachment.h"
#include "corefoundation/CFBase.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"
#include "foundation/NSRunLoop.h"
#include "host/install/DeviceRootLayout.h"
#include "host/player/DeviceProfile.h"
#include "host/player/MPAVItem.h"
#include "host/player/MPPlaybackControlsView.h"
#include "host/player/PlayerClasses.h"
#include "host/player/PlayerSession.h"
#include "uikit/UIImage.h"

class PlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tunely-player-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    DeviceRootSet(root_);
    host::applyDeviceProfile(*host::findDeviceProfile(deviceProfile_));
    host::registerPlayerClasses();
    lowtide::installHooks();
    lowtide::resetEngineForTesting();
    lowtide::btn = nullptr;
    lowtide::xbtn = nullptr;
    lowtide::tap = nullptr;
    lowtide::audioMixx = nullptr;
    lowtide::err = noErr;
    NSRunLoop::mainRunLoop()->setClock([this] { return now; });
    NSLogSetSink([this](const std::string& line) { log.push_back(line); });
  }

  void TearDown() override {
    now += 1e6;  // leftover timers fire while the device root still exists
    NSRunLoop::mainRunLoop()->fireDueTimers();
    NSRunLoop::mainRunLoop()->setClock(nullptr);
    NSLogSetSink(nullptr);
    lowtide::btn = nullptr;
    lowtide::xbtn = nullptr;
    lowtide::tap = nullptr;
    lowtide::audioMixx = nullptr;
    lowtide::view = nullptr;
    lowtide::activePanel = nullptr;
    lowtide::presetStore = nullptr;
    lowtide::resetEngineForTesting();
    host::applyDeviceProfile(*host::findDeviceProfile("ios7"));
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // The device the session runs on; a test sets another before SetUp.
  std::string deviceProfile_ = "ios7";

  std::string hostPath(const std::string& devicePath) const { return DevicePathToHost(devicePath); }

  // Installs the system's resources (the button image and the layouts) as the package does.
  void installResources() const {
    std::string error;
    ASSERT_TRUE(host::layOutDeviceRoot(root_, host::InstallSources{"", TUNELY_RESOURCES_DIR}, error)) << error;
  }

  // Installs a width x height button image, every pixel the given grey.
  void installButtonImage(uint32_t width = 4, uint32_t height = 3, uint8_t grey = 200) const {
    std::vector<uint8_t> rgba(size_t(width) * height * 4, grey);
    auto image = make<UIImage>(width, height, rgba);
    const std::vector<uint8_t> png = UIImagePNGRepresentation(image.get());
    ASSERT_FALSE(png.empty());
    const std::string file = hostPath(lowtide::kButtonImagePath);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                static_cast<std::streamsize>(png.size()));
  }

  void writeDeviceFile(const std::string& devicePath, const std::string& contents) const {
    const std::string file = hostPath(devicePath);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << contents;
  }

  // A 32-bit float WAV on this machine with interleaved `samples`; returns its path.
  std::string writeWav(const std::string& name, const std::vector<float>& samples, int channels = 2,
                       int rate = 44100) const {
    const std::string path = root_ + "/" + name;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (file != nullptr) {
      sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
      sf_close(file);
    }
    return path;
  }

  static std::vector<float> music(size_t frames, int channels = 2) {
    std::vector<float> s(frames * channels);
    for (size_t i = 0; i < frames; ++i)
      for (int c = 0; c < channels; ++c)
        s[i * channels + c] = 0.5f * std::sin(0.013f * float(i) * float(c + 1)) +
                              0.2f * std::sin(0.31f * float(i));
    return s;
  }

  static host::MPPlaybackControlsView* controlsOf(const host::PlayerSession& session) {
    return static_cast<host::MPPlaybackControlsView*>(session.controlsView());
  }

  void advance(double seconds) {
    now += seconds;
    NSRunLoop::mainRunLoop()->fireDueTimers();
  }

  std::string root_;
  double now = 1000.0;
  std::vector<std::string> log;
};
