// The transport in the player's own process, where the tap and the device can be watched: a
// counting tap stands in for the system. Offline, timers on the media clock set the transport
// between turns, as the screen's controls would; live, a session script works the screen while
// the queue plays on SDL's disk audio driver, which writes what the device plays to a file.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "CommandHarness.h"
#include "CountingTap.h"
#include "foundation/NSTimer.h"
#include "host/media/OfflineRenderer.h"
#include "host/media/RealtimePlayer.h"
#include "host/player/DeviceProfile.h"
#include "host/player/PlayerSession.h"
#include "host/player/SessionFrontEnd.h"
#include "host/script/ScriptRunner.h"
#include "uikit/UILabel.h"

namespace {

using host::DecodedAudio;
using tunely_test::CountingTap;

constexpr double kRate = 44100;

// The media clock's time after `blocks` whole blocks, added up as the player's clock does.
double clockAfter(int64_t blocks, int64_t blockFrames) {
  double clock = 0;
  for (int64_t i = 0; i < blocks; ++i) clock += double(blockFrames) / kRate;
  return clock;
}

// The blocks played before the turn due at `seconds`.
int64_t blocksBefore(double seconds, int64_t blockFrames) {
  int64_t blocks = 0;
  while (clockAfter(blocks, blockFrames) < seconds) ++blocks;
  return blocks;
}

// What a device wrote to SDL's disk file, stereo: the music (every frame not silent, in order)
// and the silent frames between its first and last frame.
struct DevicePlayed {
  std::vector<float> music;
  int64_t silenceInside = 0;
};

DevicePlayed readDevice(const std::string& raw) {
  std::vector<float> all(std::filesystem::file_size(raw) / sizeof(float));
  std::ifstream(raw, std::ios::binary).read(reinterpret_cast<char*>(all.data()), std::streamsize(all.size() * sizeof(float)));
  DevicePlayed played;
  int64_t silentRun = 0;
  for (size_t i = 0; i + 1 < all.size(); i += 2) {
    if (all[i] == 0.0f && all[i + 1] == 0.0f) {
      ++silentRun;
      continue;
    }
    if (!played.music.empty()) played.silenceInside += silentRun;
    silentRun = 0;
    played.music.insert(played.music.end(), {all[i], all[i + 1]});
  }
  return played;
}

// Frames that `played` (from frame `at`) has in common with the start of `audio`.
int64_t framesInCommon(const std::vector<float>& played, int64_t at, const DecodedAudio& audio, int64_t from = 0) {
  int64_t n = 0;
  while (size_t(at + n) * 2 + 1 < played.size() && from + n < audio.frames &&
         std::memcmp(&played[size_t(at + n) * 2], &audio.samples[size_t(from + n) * 2], 2 * sizeof(float)) == 0)
    ++n;
  return n;
}

class TransportInProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::applyDeviceProfile(*host::findDeviceProfile("ios7"));
    session_.emplace();
    session_->setUpControls();
    frontEnd_.emplace(*session_);
  }

  host::QueuedFile writeTrack(const std::string& name, double seconds, unsigned seed) {
    tracks_[name] = tunely_test::testSignal(kRate, 2, seconds, seed);
    tunely_test::writeFloatWav(temp_.file(name), tracks_[name]);
    return {temp_.file(name), *host::probeAudioFile(temp_.file(name)).value};
  }
  const DecodedAudio& track(const std::string& name) { return tracks_.at(name); }

  host::PlayerSession& session() { return *session_; }
  host::PlayerTransport& transport() { return session_->transport(); }
  std::string elapsedShown() {
    std::string why;
    host::ScreenActions screen(static_cast<UIWindow*>(session_->window()));
    return static_cast<UILabel*>(screen.find({"elapsed", false}, why))->text();
  }

  void attachScript(const std::string& script) {
    std::string error;
    auto steps = host::parseSessionScript(script, "test.script", error);
    ASSERT_TRUE(steps) << error;
    screen_.emplace(static_cast<UIWindow*>(session_->window()));
    frontEnd_->attachScript(std::make_unique<host::ScriptRunner>(std::move(*steps), *screen_, 1));
  }

  // Plays the queue on SDL's disk driver while the script works the screen; returns what the
  // device played.
  DevicePlayed playLive(const std::vector<host::QueuedFile>& files, const std::string& script) {
    const std::string raw = temp_.file("device.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    attachScript(script);
    std::string error;
    host::RealtimePlayer player;
    EXPECT_TRUE(player.openDevice(files.front().info, kLiveBlock, error)) << error;
    outcome = player.play(*session_, files, {host::SampleLayout::NonInterleaved, kLiveBlock}, *frontEnd_);
    framesHeld = player.device().feed().framesHeld();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    return readDevice(raw);
  }

  static constexpr int64_t kLiveBlock = 1024;
  host::PlayOutcome outcome;
  int64_t framesHeld = 0;
  tunely_test::TempFolder temp_;
  CountingTap tap_;
  std::optional<host::PlayerSession> session_;
  std::optional<host::ScreenActions> screen_;
  std::optional<host::SessionFrontEnd> frontEnd_;
  std::map<std::string, DecodedAudio> tracks_;
};

TEST_F(TransportInProcessTest, OfflineThePositionFollowsASeekAndStandsStillWhilePausedThroughOneTap) {
  const std::vector<host::QueuedFile> files{writeTrack("song.wav", 4.0, 9)};
  constexpr int64_t kBlock = 4096;
  std::string error;
  host::WavFileSink sink;
  ASSERT_TRUE(sink.open(temp_.file("out.wav"), kRate, 2, error)) << error;
  host::MediaClock clock;
  // The script works the screen; timers of the same times look at it first (a turn fires the
  // timers, then the steps).
  attachScript("0.5 slide position 2\n1.0 tap play\n1.5 tap play\n");
  std::vector<double> positions;
  std::vector<std::string> shown;
  std::vector<Ref<NSTimer>> looks;
  for (double seconds : {0.5, 1.0, 1.5, 2.0})
    looks.push_back(NSTimer::scheduledTimerWithTimeInterval(seconds, false, [&](NSTimer*) {
      positions.push_back(transport().position);
      shown.push_back(elapsedShown());
    }));
  const host::PlayOutcome played =
      host::renderOffline(session(), files, {host::SampleLayout::NonInterleaved, kBlock}, clock, sink, false, *frontEnd_);
  sink.close();
  for (const Ref<NSTimer>& look : looks) look->invalidate();
  ASSERT_EQ(played.reports.size(), 1u);
  // Each turn sees the position the block before it reached: the seek lands at 2.0 s, the
  // track then plays on until the pause, holds still, and plays on after it.
  const int64_t seekAt = blocksBefore(0.5, kBlock), pauseAt = blocksBefore(1.0, kBlock);
  const int64_t resumeAt = blocksBefore(1.5, kBlock), lastAt = blocksBefore(2.0, kBlock);
  const int64_t sought = std::llround(2.0 * kRate);
  const int64_t atPause = sought + (pauseAt - seekAt) * kBlock;
  const int64_t atLast = atPause + (lastAt - resumeAt) * kBlock;
  const std::vector<double> expected{double(seekAt * kBlock) / kRate, atPause / kRate, atPause / kRate,
                                     atLast / kRate};
  EXPECT_EQ(positions, expected);
  std::vector<std::string> expectedShown;
  for (double seconds : expected) expectedShown.push_back(host::formatPlayTime(seconds));
  EXPECT_EQ(shown, expectedShown);
  EXPECT_EQ(played.reports[0].framesPlayed, seekAt * kBlock + files[0].info.frames - sought);
  // One queue item, prepared once for all of it.
  EXPECT_EQ(CountingTap::prepares, 1);
  EXPECT_EQ(CountingTap::unprepares, 1);
  EXPECT_EQ(CountingTap::finalizes, 1);
}

TEST_F(TransportInProcessTest, LiveAPauseAndASeekKeepTheTapPreparedAndLeaveNoGapBeyondTheHold) {
  const std::vector<host::QueuedFile> files{writeTrack("song.wav", 1.5, 10)};
  const DecodedAudio& song = track("song.wav");
  const DevicePlayed played = playLive(files, "0.3 tap play\n0.6 tap play\n0.9 slide position 0.2\n");
  ASSERT_FALSE(outcome.anyFailed);
  // The music is the song up to the seek, then the song from 0.2 s on: the pause resumed where
  // it stopped.
  const int64_t sought = std::llround(double(0.2f) * kRate);
  const int64_t before = framesInCommon(played.music, 0, song);
  EXPECT_GT(before, sought);
  EXPECT_EQ(framesInCommon(played.music, before, song, sought), song.frames - sought);
  EXPECT_EQ(int64_t(played.music.size() / 2), before + song.frames - sought);
  // The only silence within it is what the device wrote while paused or held: no callback ran
  // dry around the seek.
  EXPECT_GT(framesHeld, 0);
  EXPECT_EQ(played.silenceInside, framesHeld);
  EXPECT_EQ(CountingTap::prepares, 1);
  EXPECT_EQ(CountingTap::unprepares, 1);
  ASSERT_EQ(outcome.reports.size(), 1u);
  EXPECT_EQ(outcome.reports[0].framesPlayed, before + song.frames - sought);
}

TEST_F(TransportInProcessTest, LiveNextAndPreviousGoThroughTheQueueWithATapForEachItem) {
  const std::vector<host::QueuedFile> files{writeTrack("a.wav", 1.5, 11), writeTrack("b.wav", 1.5, 12)};
  const DecodedAudio& a = track("a.wav");
  const DecodedAudio& b = track("b.wav");
  // Next cuts a short; previous, with b barely started, goes back to a, and the queue goes on.
  const DevicePlayed played = playLive(files, "0.3 tap next\n0.6 tap previous\n");
  ASSERT_FALSE(outcome.anyFailed);
  const int64_t ofA = framesInCommon(played.music, 0, a);
  const int64_t ofB = framesInCommon(played.music, ofA, b);
  EXPECT_GT(ofA, 0);
  EXPECT_LT(ofA, a.frames);
  EXPECT_GT(ofB, 0);
  EXPECT_LT(ofB, b.frames);
  EXPECT_EQ(framesInCommon(played.music, ofA + ofB, a), a.frames);
  EXPECT_EQ(framesInCommon(played.music, ofA + ofB + a.frames, b), b.frames);
  EXPECT_EQ(int64_t(played.music.size() / 2), ofA + ofB + a.frames + b.frames);
  ASSERT_EQ(outcome.reports.size(), 4u);
  const std::vector<int64_t> frames{ofA, ofB, a.frames, b.frames};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(outcome.reports[i].path, files[i % 2].path);
    EXPECT_EQ(outcome.reports[i].framesPlayed, frames[i]);
  }
  EXPECT_EQ(CountingTap::prepares, 4);
  EXPECT_EQ(CountingTap::unprepares, 4);
  EXPECT_EQ(CountingTap::finalizes, 4);
}

}  // namespace
