// Every player item the queue item stores carries a tap with the engine's callbacks.
#include <algorithm>
#include <thread>
#include <vector>

#include "Lowtide/engine/ProcessingTap.h"
#include "PlayerFixture.h"
#include "avfoundation/AVPlayerItem.h"
#include "mediatoolbox/MTAudioProcessingTapDriver.h"

namespace {

using host::MPAVItem;
using host::PlayerSession;

class TapAttachmentTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    song = writeWav("song.wav", music(2048));
  }

  // A player item for the song, as the player would hand it to setPlayerItem:.
  Ref<AVPlayerItem> hostItem() const {
    return AVPlayerItem::playerItemWithAsset(AVURLAsset::URLAssetWithURL(song).get());
  }
  static void store(MPAVItem* queueItem, id playerItem) {
    msgSend<void>(queueItem, sel_registerName("setPlayerItem:"), playerItem);
  }
  static AVPlayerItem* stored(MPAVItem* queueItem) {
    return static_cast<AVPlayerItem*>(PlayerSession::playerItemOf(queueItem));
  }

  std::string song;
};

TEST_F(TapAttachmentTest, StoredItemIsANewItemForTheSameAssetWithOneTappedInput) {
  PlayerSession session;
  session.setUpControls();
  auto queueItem = MPAVItem::make(song);
  Ref<AVPlayerItem> given = hostItem();
  store(queueItem.get(), given.get());

  AVPlayerItem* item = stored(queueItem.get());
  ASSERT_NE(item, nullptr);
  EXPECT_NE(item, given.get());
  EXPECT_EQ(item->asset(), given->asset());
  ASSERT_NE(item->audioMix(), nullptr);
  ASSERT_EQ(item->audioMix()->inputParameters().size(), 1u);
  EXPECT_EQ(item->audioMix()->inputParameters()[0]->trackID(), given->asset()->tracks()[0]->trackID());

  MTAudioProcessingTapRef tap = PlayerSession::tapOf(item);
  ASSERT_NE(tap, nullptr);
  const MTAudioProcessingTapCallbacks& cb = MTAudioProcessingTapGetCallbacks(tap);
  EXPECT_EQ(cb.version, kMTAudioProcessingTapCallbacksVersion_0);
  EXPECT_EQ(cb.clientInfo, lowtide::btn.get());
  EXPECT_EQ(cb.init, &lowtide::tap_InitCallback);
  EXPECT_EQ(cb.prepare, &lowtide::tap_PrepareCallback);
  EXPECT_EQ(cb.process, &lowtide::tap_ProcessCallback);
  EXPECT_EQ(cb.unprepare, &lowtide::tap_UnprepareCallback);
  EXPECT_EQ(cb.finalize, &lowtide::tap_FinalizeCallback);
  EXPECT_EQ(MTAudioProcessingTapGetCreationFlags(tap), kMTAudioProcessingTapCreationFlag_PreEffects);
  EXPECT_EQ(lowtide::tap.get(), tap);
  EXPECT_EQ(lowtide::audioMixx.get(), item->audioMix());
  EXPECT_EQ(lowtide::err.load(), noErr);
  EXPECT_EQ(queueItem->setPlayerItemCalls(), 1);
}

TEST_F(TapAttachmentTest, TwoBuildsGiveTwoTapsAndEachItemKeepsItsOwn) {
  auto a = MPAVItem::make(song), b = MPAVItem::make(song);
  store(a.get(), hostItem().get());
  MTAudioProcessingTapRef firstTap = PlayerSession::tapOf(stored(a.get()));
  store(b.get(), hostItem().get());
  MTAudioProcessingTapRef secondTap = PlayerSession::tapOf(stored(b.get()));
  ASSERT_NE(firstTap, nullptr);
  EXPECT_NE(firstTap, secondTap);
  EXPECT_EQ(lowtide::tap.get(), secondTap);
  EXPECT_EQ(PlayerSession::tapOf(stored(a.get())), firstTap);
  EXPECT_EQ(firstTap->retainCount(), 1);  // only the first item's input parameters hold it now
}

TEST_F(TapAttachmentTest, FailedTapCreationStoresTheHostsOwnItem) {
  auto queueItem = MPAVItem::make(song);
  Ref<AVPlayerItem> given = hostItem();
  MTAudioProcessingTapFailNextCreate(kAudio_ParamError);
  store(queueItem.get(), given.get());
  EXPECT_EQ(lowtide::err.load(), -50);
  EXPECT_EQ(stored(queueItem.get()), given.get());
  EXPECT_EQ(given->audioMix(), nullptr);
  EXPECT_FALSE(lowtide::tap);
}

TEST_F(TapAttachmentTest, NilAndTracklessAssetsPassTheHostsItemOn) {
  auto queueItem = MPAVItem::make(song);
  store(queueItem.get(), hostItem().get());
  store(queueItem.get(), nil);
  EXPECT_EQ(stored(queueItem.get()), nullptr);
  EXPECT_EQ(queueItem->setPlayerItemCalls(), 2);

  writeDeviceFile("/broken.wav", "RIFF but no audio");
  Ref<AVPlayerItem> broken =
      AVPlayerItem::playerItemWithAsset(AVURLAsset::URLAssetWithURL(hostPath("/broken.wav")).get());
  ASSERT_TRUE(broken->asset()->tracks().empty());
  store(queueItem.get(), broken.get());
  EXPECT_EQ(stored(queueItem.get()), broken.get());
}

TEST_F(TapAttachmentTest, LoadAssetAndPlayerItemRunsThePlayerFirstThenBuildsOnce) {
  PlayerSession session;
  Ref<NSObject> queueItem = session.makeQueueItem(song);
  auto* item = static_cast<MPAVItem*>(queueItem.get());
  EXPECT_EQ(item->loadCalls(), 1);
  EXPECT_EQ(item->setPlayerItemCalls(), 1);
  // The player's method stored an equipped item through setPlayerItem:; the build that follows
  // it made the module's latest tap, a different one.
  MTAudioProcessingTapRef playing = PlayerSession::tapOf(PlayerSession::playerItemOf(item));
  ASSERT_NE(playing, nullptr);
  ASSERT_TRUE(lowtide::tap);
  EXPECT_NE(lowtide::tap.get(), playing);
}

TEST_F(TapAttachmentTest, PlayerThreadsMayBuildWhileTheMainThreadSetsUpControls) {
  PlayerSession session;
  auto build = [this](std::vector<Ref<MPAVItem>>* items) {
    for (int i = 0; i < 20; ++i) {
      items->push_back(MPAVItem::make(song));
      store(items->back().get(), hostItem().get());
    }
  };
  std::vector<Ref<MPAVItem>> first, second;
  std::thread a(build, &first), b(build, &second);
  for (int i = 0; i < 5; ++i) msgSend<void>(session.controlsView(), sel_registerName("_initializeControls"));
  a.join();
  b.join();
  std::vector<MTAudioProcessingTapRef> taps;
  for (const auto* items : {&first, &second})
    for (const Ref<MPAVItem>& item : *items) taps.push_back(PlayerSession::tapOf(stored(item.get())));
  std::sort(taps.begin(), taps.end());
  EXPECT_EQ(std::unique(taps.begin(), taps.end()), taps.end());  // forty different taps
  EXPECT_NE(taps.front(), nullptr);
  EXPECT_TRUE(std::find(taps.begin(), taps.end(), lowtide::tap.get()) != taps.end());
}

// Runs the whole file through a tap as the media pipeline does: non-interleaved float blocks.
std::vector<float> playThrough(MTAudioProcessingTapRef tap, const std::vector<float>& interleaved,
                               CMItemCount blockFrames) {
  const size_t frames = interleaved.size() / 2;
  std::vector<float> out(interleaved.size());
  size_t position = 0;
  MTAudioProcessingTapSetSource(tap, [&](CMItemCount n, AudioBufferList* list, MTAudioProcessingTapFlags*,
                                         CMItemCount* delivered) {
    const size_t count = std::min<size_t>(size_t(n), frames - position);
    for (UInt32 ch = 0; ch < 2; ++ch)
      for (size_t i = 0; i < count; ++i)
        static_cast<float*>(list->mBuffers[ch].mData)[i] = interleaved[(position + i) * 2 + ch];
    *delivered = CMItemCount(count);
    return noErr;
  });
  AudioStreamBasicDescription format{};
  format.mSampleRate = 44100;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = format.mBytesPerFrame = 4;
  format.mFramesPerPacket = 1;
  format.mChannelsPerFrame = 2;
  format.mBitsPerChannel = 32;
  MTAudioProcessingTapPrepare(tap, blockFrames, format);

  std::vector<float> left(static_cast<size_t>(blockFrames)), right(static_cast<size_t>(blockFrames));
  std::vector<unsigned char> listBytes(sizeof(AudioBufferList) + sizeof(AudioBuffer));
  auto* list = reinterpret_cast<AudioBufferList*>(listBytes.data());
  while (position < frames) {
    const CMItemCount want = std::min<CMItemCount>(blockFrames, CMItemCount(frames - position));
    list->mNumberBuffers = 2;
    list->mBuffers[0] = {1, UInt32(want * 4), left.data()};
    list->mBuffers[1] = {1, UInt32(want * 4), right.data()};
    CMItemCount got = 0;
    MTAudioProcessingTapFlags flags = 0;
    MTAudioProcessingTapProcess(tap, want, list, &got, &flags);
    if (got <= 0) break;
    for (CMItemCount i = 0; i < got; ++i) {
      out[(position + size_t(i)) * 2] = left[size_t(i)];
      out[(position + size_t(i)) * 2 + 1] = right[size_t(i)];
    }
    position += size_t(got);
  }
  MTAudioProcessingTapUnprepare(tap);
  return out;
}

TEST_F(TapAttachmentTest, WithoutControlsTheQueueStillPlaysThroughTheTapUnchanged) {
  const std::vector<float> input = music(3000);
  const std::string path = writeWav("plain.wav", input);
  PlayerSession session;  // the player never sets up its controls
  Ref<NSObject> queueItem = session.makeQueueItem(path);
  MTAudioProcessingTapRef tap = PlayerSession::tapOf(PlayerSession::playerItemOf(queueItem.get()));
  ASSERT_NE(tap, nullptr);
  EXPECT_FALSE(lowtide::btn);
  EXPECT_EQ(NSRunLoop::mainRunLoop()->nextFireDate(), std::nullopt);  // no state will load

  const std::vector<float> output = playThrough(tap, input, 1024);
  EXPECT_EQ(lowtide::srate.load(), 44100.0);  // the tap really was prepared
  EXPECT_EQ(output, input);
}

}  // namespace
