// Live hand-over between tracks of different sample rates: each track's tap is prepared when the
// track starts to be heard, so the end of a 44.1 kHz track is not played through a design made
// for the 48 kHz track after it. A tap that remembers the rate it was prepared for stands in for
// the system; the queue plays on SDL's disk audio driver.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <tuple>

#include "CommandHarness.h"
#include "TapOnItem.h"
#include "avfoundation/AVAsset.h"
#include "avfoundation/AVAudioMix.h"
#include "avfoundation/AVPlayerItem.h"
#include "host/media/RealtimePlayer.h"
#include "host/player/PlayerClasses.h"
#include "host/player/SessionFrontEnd.h"

namespace {

// The engine is prepared for one rate at a time, process-wide, as the system's is.
std::atomic<double> engineRate{0};
struct TapRecord {
  std::atomic<MTAudioProcessingTapRef> tap{nullptr};
  std::atomic<double> preparedFor{0};
  std::atomic<int> blocks{0}, blocksAtAnotherRate{0};
};
TapRecord records[2];
std::atomic<int> tapsMade{0};
void (*playersSetPlayerItem)(id, SEL, id) = nullptr;

TapRecord* recordOf(MTAudioProcessingTapRef tap) {
  for (TapRecord& r : records)
    if (r.tap.load() == tap) return &r;
  return nullptr;
}

void setPlayerItemWithTap(id self, SEL cmd, id playerItem) {
  auto* item = static_cast<AVPlayerItem*>(playerItem);
  MTAudioProcessingTapCallbacks callbacks{};
  callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
  callbacks.prepare = [](MTAudioProcessingTapRef tap, CMItemCount, const AudioStreamBasicDescription* format) {
    engineRate = format->mSampleRate;
    if (TapRecord* r = recordOf(tap)) r->preparedFor = format->mSampleRate;
  };
  callbacks.process = [](MTAudioProcessingTapRef tap, CMItemCount frames, MTAudioProcessingTapFlags,
                         AudioBufferList* list, CMItemCount* framesOut, MTAudioProcessingTapFlags* flagsOut) {
    MTAudioProcessingTapGetSourceAudio(tap, frames, list, flagsOut, nullptr, framesOut);
    if (TapRecord* r = recordOf(tap)) {
      ++r->blocks;
      if (engineRate.load() != r->preparedFor.load()) ++r->blocksAtAnotherRate;
    }
  };
  MTAudioProcessingTapRef tap = tunely_test::attachTap(item, callbacks);
  if (int n = tapsMade++; n < 2) records[n].tap = tap;
  playersSetPlayerItem(self, cmd, playerItem);
}

TEST(LiveRateHandOverTest, A44100TrackEndsThroughItsOwnDesignBeforeA48000TrackIsPrepared) {
  host::registerPlayerClasses();
  playersSetPlayerItem = class_replaceMethod(objc_getClass("MPAVItem"), sel_registerName("setPlayerItem:"),
                                             &setPlayerItemWithTap, "v@:@");
  tunely_test::TempFolder temp;
  std::vector<host::QueuedFile> files;
  for (const auto& [name, rate, seconds] : {std::tuple{"a.wav", 44100.0, 1.5}, std::tuple{"b.wav", 48000.0, 0.5}}) {
    tunely_test::writeFloatWav(temp.file(name), tunely_test::testSignal(rate, 2, seconds, 3));
    files.push_back({temp.file(name), *host::probeAudioFile(temp.file(name)).value});
  }
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", temp.file("device.raw").c_str(), 1);
  host::PlayerSession session;
  session.setUpControls();
  host::SessionFrontEnd frontEnd{session};
  host::RealtimePlayer player;
  std::string error;
  ASSERT_TRUE(player.openDevice(files[0].info, 1024, error)) << error;
  const host::PlayOutcome outcome = player.play(session, files, {host::SampleLayout::Interleaved, 1024}, frontEnd);
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  class_replaceMethod(objc_getClass("MPAVItem"), sel_registerName("setPlayerItem:"), playersSetPlayerItem, "v@:@");

  ASSERT_EQ(tapsMade.load(), 2);
  ASSERT_EQ(outcome.reports.size(), 2u);
  EXPECT_EQ(records[0].preparedFor.load(), 44100.0);
  EXPECT_EQ(records[1].preparedFor.load(), 48000.0);
  // Every block of both tracks went through a design made for its own rate.
  EXPECT_GT(records[0].blocks.load(), 0);
  EXPECT_GT(records[1].blocks.load(), 0);
  EXPECT_EQ(records[0].blocksAtAnotherRate.load(), 0);
  EXPECT_EQ(records[1].blocksAtAnotherRate.load(), 0);
}

}  // namespace
