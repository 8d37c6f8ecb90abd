// What the sound device's callback plays, driven callback by callback on this thread: the hold
// handshake, pausing, and letting a track go while held.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "CommandHarness.h"
#include "host/media/DeviceFeed.h"
#include "host/media/TrackLoader.h"
#include "host/media/TrackPlayback.h"

namespace {

using host::DecodedAudio;
using host::DeviceFeed;
using host::TrackPlayback;

constexpr int64_t kCallback = 300;

class DeviceFeedTest : public ::testing::Test {
 protected:
  void SetUp() override { feed.configure(2, 512); }

  // A track without a tap (its frames pass unchanged), decoded whole ahead of playing.
  std::unique_ptr<TrackPlayback> track(const std::string& name, unsigned seed) {
    audio[name] = tunely_test::testSignal(44100, 2, 0.1, seed);
    tunely_test::writeFloatWav(temp.file(name), audio[name]);
    auto stream = host::openTrackStream(temp.file(name), {host::SampleLayout::NonInterleaved, 512}, false);
    EXPECT_TRUE(stream) << stream.error;
    auto t = std::make_unique<TrackPlayback>(name, std::move(*stream.value), nullptr, nullptr,
                                             host::SampleLayout::NonInterleaved, 512);
    t->stream().work();
    return t;
  }

  // One callback's frames.
  std::vector<float> callback() {
    std::vector<float> out(kCallback * 2, 1.0f);
    feed.fill(out.data(), kCallback);
    return out;
  }
  std::vector<float> framesOf(const std::string& name, int64_t from) {
    const auto& s = audio.at(name).samples;
    return {s.begin() + from * 2, s.begin() + (from + kCallback) * 2};
  }
  static bool silent(const std::vector<float>& v) {
    return std::all_of(v.begin(), v.end(), [](float x) { return x == 0.0f; });
  }

  DeviceFeed feed;
  std::map<std::string, DecodedAudio> audio;
  tunely_test::TempFolder temp;
};

TEST_F(DeviceFeedTest, AHoldIsAcknowledgedByTheNextCallbackWhichRendersNothingUntilReleased) {
  auto song = track("song.wav", 1);
  ASSERT_TRUE(feed.handOver(song.get()));
  EXPECT_EQ(callback(), framesOf("song.wav", 0));
  feed.requestHold();
  EXPECT_FALSE(feed.holdAcknowledged());  // a render may be in progress until a callback starts
  EXPECT_TRUE(silent(callback()));
  EXPECT_TRUE(feed.holdAcknowledged());
  EXPECT_TRUE(silent(callback()));
  EXPECT_EQ(song->framesRendered(), kCallback);  // the track untouched while held
  feed.releaseHold();
  EXPECT_EQ(callback(), framesOf("song.wav", kCallback));  // on from where it stopped
  EXPECT_EQ(feed.framesHeld(), 2 * kCallback);
}

TEST_F(DeviceFeedTest, PausingSilencesTheNextCallbacksAndAnOldAcknowledgementNeverAnswersANewHold) {
  auto song = track("song.wav", 2);
  ASSERT_TRUE(feed.handOver(song.get()));
  feed.setPaused(true);
  EXPECT_TRUE(silent(callback()));
  // Paused and seen to be: holding needs no further callback.
  feed.requestHold();
  EXPECT_TRUE(feed.holdAcknowledged());
  feed.releaseHold();
  EXPECT_TRUE(silent(callback()));  // still paused
  feed.setPaused(false);
  EXPECT_EQ(callback(), framesOf("song.wav", 0));
  feed.requestHold();
  EXPECT_FALSE(feed.holdAcknowledged());  // the pause's acknowledgement is for another request
  callback();
  EXPECT_TRUE(feed.holdAcknowledged());
  feed.releaseHold();
  EXPECT_EQ(callback(), framesOf("song.wav", kCallback));
}

TEST_F(DeviceFeedTest, ATrackLetGoWhileHeldGivesWayToTheOneHandedOver) {
  auto first = track("first.wav", 3), second = track("second.wav", 4);
  ASSERT_TRUE(feed.handOver(first.get()));
  callback();
  ASSERT_TRUE(feed.handOver(second.get()));
  feed.requestHold();
  callback();
  ASSERT_TRUE(feed.holdAcknowledged());
  feed.letGo(first.get());
  feed.releaseHold();
  EXPECT_EQ(callback(), framesOf("second.wav", 0));
  EXPECT_EQ(first->framesRendered(), kCallback);
  // Letting go of the one handed over leaves nothing to play.
  auto third = track("third.wav", 5);
  feed.requestHold();
  callback();
  feed.letGo(second.get());
  feed.releaseHold();
  EXPECT_TRUE(silent(callback()));
  EXPECT_TRUE(feed.handOver(third.get()));
  EXPECT_EQ(callback(), framesOf("third.wav", 0));
}

}  // namespace
