// The transport in the player's own process, where the tap and the device can be watched: a
// pass-through tap that counts its life-cycle calls stands in for the system, and a script
// works the screen. Live, the queue plays on SDL's disk audio driver, which writes what the
// device plays to a file.
#include <gtest/gtest.h>

#include <malloc.h>
#include <stdlib.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "CommandHarness.h"
#include "TapOnItem.h"
#include "avfoundation/AVAsset.h"
#include "avfoundation/AVAudioMix.h"
#include "avfoundation/AVPlayerItem.h"
#include "foundation/NSTimer.h"
#include "host/media/DeviceFeed.h"
#include "host/media/OfflineRenderer.h"
#include "host/media/RealtimePlayer.h"
#include "host/player/PlayerClasses.h"
#include "host/player/SessionFrontEnd.h"
#include "uikit/UILabel.h"

namespace {

constexpr double kRate = 44100;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers slow the main thread's work for each track past what a live hand holds.
constexpr bool kMainThreadKeepsTime = false;
#else
constexpr bool kMainThreadKeepsTime = true;
#endif
int prepares = 0, unprepares = 0;
// The feed whose held frames are read when the first block of music is rendered, and what it had
// held by then: a slow build may start the music after the script's first pause has begun, and
// that silence is before the music, not within it.
std::atomic<const host::DeviceFeed*> watchedFeed{nullptr};
std::atomic<int64_t> heldBeforeMusic{-1};
void (*playersSetPlayerItem)(id, SEL, id) = nullptr;

// MPAVItem's setPlayerItem: as the system replaces it: the item gets a mix with a counting tap.
void setPlayerItemWithTap(id self, SEL cmd, id playerItem) {
  auto* item = static_cast<AVPlayerItem*>(playerItem);
  MTAudioProcessingTapCallbacks callbacks{};
  callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
  callbacks.prepare = [](MTAudioProcessingTapRef, CMItemCount, const AudioStreamBasicDescription*) { ++prepares; };
  callbacks.unprepare = [](MTAudioProcessingTapRef) { ++unprepares; };
  callbacks.process = [](MTAudioProcessingTapRef tap, CMItemCount frames, MTAudioProcessingTapFlags,
                         AudioBufferList* list, CMItemCount* framesOut, MTAudioProcessingTapFlags* flagsOut) {
    MTAudioProcessingTapGetSourceAudio(tap, frames, list, flagsOut, nullptr, framesOut);
    int64_t unseen = -1;
    if (const host::DeviceFeed* feed = watchedFeed.load(std::memory_order_relaxed))
      heldBeforeMusic.compare_exchange_strong(unseen, feed->framesHeld(), std::memory_order_relaxed);
  };
  tunely_test::attachTap(item, callbacks);
  playersSetPlayerItem(self, cmd, playerItem);
}

// Frames from `at` of interleaved stereo `played` that equal `audio` from frame `from` on.
int64_t inCommon(const std::vector<float>& played, int64_t at, const host::DecodedAudio& audio, int64_t from = 0) {
  int64_t n = 0;
  while (size_t(at + n + 1) * 2 <= played.size() && from + n < audio.frames &&
         std::memcmp(&played[size_t(at + n) * 2], &audio.samples[size_t(from + n) * 2], 8) == 0)
    ++n;
  return n;
}

// What the disk audio driver wrote: the music (interleaved stereo, the silence before and after
// it left out) and the silent frames within it.
struct PlayedMusic {
  std::vector<float> music;
  int64_t silenceWithin = 0;
  int gaps = 0;  // silent stretches within the music
};

PlayedMusic readPlayed(const std::string& raw) {
  std::vector<float> all(std::filesystem::file_size(raw) / 4);
  std::ifstream(raw, std::ios::binary).read(reinterpret_cast<char*>(all.data()), std::streamsize(all.size() * 4));
  PlayedMusic played;
  int64_t silentRun = 0;
  for (size_t i = 0; i + 1 < all.size(); i += 2) {
    if (all[i] == 0.0f && all[i + 1] == 0.0f) {
      ++silentRun;
      continue;
    }
    if (!played.music.empty()) played.silenceWithin += silentRun;
    if (!played.music.empty() && silentRun > 0) ++played.gaps;
    silentRun = 0;
    played.music.insert(played.music.end(), {all[i], all[i + 1]});
  }
  return played;
}

class TransportInProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::registerPlayerClasses();
    playersSetPlayerItem = class_replaceMethod(objc_getClass("MPAVItem"), sel_registerName("setPlayerItem:"),
                                               &setPlayerItemWithTap, "v@:@");
    prepares = unprepares = 0;
    session.setUpControls();
  }
  void TearDown() override {
    class_replaceMethod(objc_getClass("MPAVItem"), sel_registerName("setPlayerItem:"), playersSetPlayerItem, "v@:@");
  }

  host::QueuedFile track(const std::string& name, double seconds, unsigned seed) {
    audio[name] = tunely_test::testSignal(kRate, 2, seconds, seed);
    tunely_test::writeFloatWav(temp.file(name), audio[name]);
    return {temp.file(name), *host::probeAudioFile(temp.file(name)).value};
  }
  void script(const std::string& text) {
    std::string error;
    auto steps = host::parseSessionScript(text, "test.script", error);
    ASSERT_TRUE(steps) << error;
    frontEnd.attachScript(std::make_unique<host::ScriptRunner>(std::move(*steps), screen, 1));
  }

  // Plays `files` on SDL's disk audio driver, which writes what the device plays to a file.
  PlayedMusic playLive(const std::vector<host::QueuedFile>& files, int64_t blockFrames, host::PlayOutcome& outcome) {
    const std::string raw = temp.file("device.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    std::string error;
    if (!player.openDevice(files[0].info, blockFrames, error)) ADD_FAILURE() << error;
    else outcome = player.play(session, files, {host::SampleLayout::NonInterleaved, blockFrames}, frontEnd);
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    return readPlayed(raw);
  }

  tunely_test::TempFolder temp;
  host::RealtimePlayer player;
  std::map<std::string, host::DecodedAudio> audio;
  host::PlayerSession session;
  host::ScreenActions screen{static_cast<UIWindow*>(session.window())};
  host::SessionFrontEnd frontEnd{session};
};

TEST_F(TransportInProcessTest, OfflineTheScreenFollowsASeekAndStandsStillWhilePaused) {
  const std::vector<host::QueuedFile> files{track("s.wav", 3.0, 9)};
  host::WavFileSink sink;
  std::string error;
  ASSERT_TRUE(sink.open(temp.file("out.wav"), kRate, 2, error)) << error;
  host::MediaClock clock;
  script("0.5 slide position 2\n1.0 tap play\n2.0 tap play\n");
  std::vector<std::string> shown;  // by timers, which fire before the steps of their turn
  std::vector<Ref<NSTimer>> looks;
  for (double t : {1.0, 1.5})
    looks.push_back(NSTimer::scheduledTimerWithTimeInterval(t, false, [&](NSTimer*) {
      std::string why;
      shown.push_back(static_cast<UILabel*>(screen.find({"elapsed", false}, why))->text() + " at " +
                      std::to_string(session.transport().position));
    }));
  host::renderOffline(session, files, {host::SampleLayout::NonInterleaved, 4096}, clock, sink, false, frontEnd);
  for (const Ref<NSTimer>& look : looks) look->invalidate();
  const auto blocks = [](double t) { return int64_t(std::ceil(t * kRate / 4096)); };
  const double paused = double(88200 + (blocks(1.0) - blocks(0.5)) * 4096) / kRate;  // 2 s on from the seek
  const std::string expected = host::formatPlayTime(paused) + " at " + std::to_string(paused);
  EXPECT_EQ(shown, (std::vector<std::string>{expected, expected}));
}

// A long queue rendered offline keeps a report per played track, not the track (whose output
// measure holds a loudness histogram until it is complete): once the writer has measured a
// track's last block, the track goes (so at most the writer's few seconds of tracks are held).
// The heap the render holds grows by less than ten tracks' buffers from its 11th track to its
// 29th; holding every played track it would grow by eighteen.
TEST_F(TransportInProcessTest, OfflineAPlayedTrackIsLetGoOnceWrittenAndReportedInOrder) {
  std::vector<host::QueuedFile> files;
  for (unsigned i = 0; i < 30; ++i) files.push_back(track("t" + std::to_string(i) + ".wav", 0.5, 20 + i));
  host::WavFileSink sink;
  std::string error;
  ASSERT_TRUE(sink.open(temp.file("out.wav"), kRate, 2, error)) << error;
  host::MediaClock clock;
  std::vector<size_t> held;
  std::vector<Ref<NSTimer>> looks;
  for (double t : {5.2, 14.2})
    looks.push_back(NSTimer::scheduledTimerWithTimeInterval(t, false, [&](NSTimer*) {
      const struct mallinfo2 heap = mallinfo2();
      held.push_back(heap.uordblks + heap.hblkhd);
    }));
  const host::PlayOutcome outcome =
      host::renderOffline(session, files, {host::SampleLayout::NonInterleaved, 4096}, clock, sink, false, frontEnd);
  for (const Ref<NSTimer>& look : looks) look->invalidate();
  ASSERT_EQ(held.size(), 2u);
  EXPECT_LT(held[1], held[0] + 10 * 64 * 1024) << held[0];  // a track held keeps 64 KB of buffers
  ASSERT_EQ(outcome.reports.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(outcome.reports[i].path, files[i].path);
    EXPECT_EQ(outcome.reports[i].framesPlayed, files[i].info.frames);
    EXPECT_TRUE(std::isfinite(outcome.reports[i].outputLoudness)) << i;  // measured to the end
  }
}

TEST_F(TransportInProcessTest, LivePauseSeekAndNextKeepEachTapPreparedAndLeaveNoGapBeyondTheHolds) {
  const std::vector<host::QueuedFile> files{track("a.wav", 2.0, 10), track("b.wav", 1.0, 11)};
  const std::string raw = temp.file("device.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  script("0.3 tap play\n0.6 tap play\n0.9 slide position 0.2\n1.3 tap next\n");
  host::RealtimePlayer player;
  std::string error;
  ASSERT_TRUE(player.openDevice(files[0].info, 1024, error)) << error;
  heldBeforeMusic = -1;
  watchedFeed = &player.device().feed();
  const host::PlayOutcome outcome = player.play(session, files, {host::SampleLayout::NonInterleaved, 1024}, frontEnd);
  watchedFeed = nullptr;
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  // The music the device played, and the silent frames within it.
  std::vector<float> all(std::filesystem::file_size(raw) / 4), music;
  std::ifstream(raw, std::ios::binary).read(reinterpret_cast<char*>(all.data()), std::streamsize(all.size() * 4));
  int64_t silentRun = 0, silenceWithin = 0;
  for (size_t i = 0; i + 1 < all.size(); i += 2) {
    if (all[i] == 0.0f && all[i + 1] == 0.0f) {
      ++silentRun;
      continue;
    }
    if (!music.empty()) silenceWithin += silentRun;
    silentRun = 0;
    music.insert(music.end(), {all[i], all[i + 1]});
  }
  // a up to the seek (the pause resumed where it stopped), a from 0.2 s until next, all of b.
  const host::DecodedAudio &a = audio["a.wav"], &b = audio["b.wav"];
  const int64_t sought = std::llround(double(0.2f) * kRate);
  const int64_t beforeSeek = inCommon(music, 0, a), afterSeek = inCommon(music, beforeSeek, a, sought);
  // Where the seek lands is told apart from playing on only if the music had not reached 0.2 s by
  // then; a slow build may have played less than that by the script's 0.9 s, a quick one more.
  EXPECT_NE(beforeSeek, sought);
  EXPECT_GT(afterSeek, 0);
  EXPECT_LT(sought + afterSeek, a.frames);
  EXPECT_EQ(inCommon(music, beforeSeek + afterSeek, b), b.frames);
  EXPECT_EQ(int64_t(music.size() / 2), beforeSeek + afterSeek + b.frames);
  // Silence only while paused or held: no callback ran dry around a seek or a skip.
  ASSERT_GE(heldBeforeMusic, 0);
  const int64_t heldWithin = player.device().feed().framesHeld() - heldBeforeMusic;
  EXPECT_GT(heldWithin, 0);
  if (kMainThreadKeepsTime) {
    EXPECT_EQ(silenceWithin, heldWithin) << heldBeforeMusic << " frames held before the music";
  } else {
    EXPECT_GE(silenceWithin, heldWithin) << heldBeforeMusic << " frames held before the music";
  }
  EXPECT_EQ(prepares, 2);
  EXPECT_EQ(unprepares, 2);
  ASSERT_EQ(outcome.reports.size(), 2u);
  EXPECT_EQ(outcome.reports[0].framesPlayed, beforeSeek + afterSeek);
}

TEST_F(TransportInProcessTest, LiveTracksShorterThanABlockFollowEachOtherWithoutGaps) {
  const host::QueuedFile shortTrack = track("short.wav", 0.05, 12);
  const std::vector<host::QueuedFile> files(24, shortTrack);
  host::PlayOutcome outcome;
  const PlayedMusic played = playLive(files, 4096, outcome);
  const host::DecodedAudio& a = audio["short.wav"];
  // 24 × 0.05 s, each copy whole, in order, with no silence between them. Live playback cannot
  // outrun a main thread starved for longer than what it keeps in hand (half a second here), as
  // a heavily loaded test machine may starve it: a stray gap is allowed, not one at every track
  // as a track padded to a block would make.
  if (kMainThreadKeepsTime) {
    EXPECT_LE(played.gaps, 2) << played.silenceWithin << " silent frames";
  }
  ASSERT_EQ(int64_t(played.music.size() / 2), 24 * a.frames);
  for (int64_t copy = 0; copy < 24; ++copy) EXPECT_EQ(inCommon(played.music, copy * a.frames, a), a.frames) << copy;
  EXPECT_EQ(outcome.reports.size(), 24u);
  EXPECT_FALSE(outcome.anyFailed);
}

TEST_F(TransportInProcessTest, LiveAFileThatNoLongerFitsTheDeviceAtItsTurnIsRefusedAndTheQueueGoesOn) {
  const std::vector<host::QueuedFile> files{track("a.wav", 0.3, 13), track("b.wav", 0.3, 14), track("c.wav", 0.3, 15)};
  // After the queue was checked, b becomes a file of more channels than a sound device takes.
  tunely_test::writeFloatWav(temp.file("b.wav"), tunely_test::testSignal(kRate, 9, 0.3, 16));
  host::PlayOutcome outcome;
  testing::internal::CaptureStderr();
  const PlayedMusic played = playLive(files, 1024, outcome);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("cannot play \"" + temp.file("b.wav") + "\": "), std::string::npos) << messages;
  EXPECT_NE(messages.find("9 channels"), std::string::npos) << messages;
  EXPECT_TRUE(outcome.anyFailed);
  ASSERT_EQ(outcome.reports.size(), 2u);
  const host::DecodedAudio &a = audio["a.wav"], &c = audio["c.wav"];
  EXPECT_EQ(inCommon(played.music, 0, a), a.frames);
  EXPECT_EQ(inCommon(played.music, a.frames, c), c.frames);
}

}  // namespace
