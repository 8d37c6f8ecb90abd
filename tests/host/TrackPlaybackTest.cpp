// The media pipeline's side of a tap: block sizes, stream descriptions, buffer layouts and the
// tap's life cycle, against a tap whose callbacks record what they are given.
#include <gtest/gtest.h>

#include <vector>

#include "CommandHarness.h"
#include "host/media/TrackPlayback.h"
#include "mediatoolbox/MTAudioProcessingTap.h"

namespace {

using host::SampleLayout;
using host::TrackPlayback;

struct Recorder {
  std::vector<AudioStreamBasicDescription> prepares;
  std::vector<CMItemCount> asked;
  std::vector<UInt32> buffers;
  int unprepares = 0;
  int finalizes = 0;
};
Recorder* recorder = nullptr;

// Fetches the source and negates every sample, whatever the layout.
void process(MTAudioProcessingTapRef tap, CMItemCount frames, MTAudioProcessingTapFlags,
             AudioBufferList* list, CMItemCount* framesOut, MTAudioProcessingTapFlags* flagsOut) {
  recorder->asked.push_back(frames);
  recorder->buffers.push_back(list->mNumberBuffers);
  MTAudioProcessingTapGetSourceAudio(tap, frames, list, flagsOut, nullptr, framesOut);
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b) {
    auto* s = static_cast<float*>(list->mBuffers[b].mData);
    for (size_t i = 0; i < list->mBuffers[b].mDataByteSize / sizeof(float); ++i) s[i] = -s[i];
  }
}

// Stands for the queue item: owns the tap the way the player item's audio mix does.
struct TapOwner : NSObject {
  explicit TapOwner(MTAudioProcessingTapRef t) : tap(t) {}
  ~TapOwner() override { CFRelease(tap); }
  MTAudioProcessingTapRef tap;
};

class TrackPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override { recorder = &rec; }
  void TearDown() override { recorder = nullptr; }

  std::unique_ptr<TrackPlayback> track(SampleLayout layout, int64_t block, bool withTap = true) {
    MTAudioProcessingTapRef tap = nullptr;
    if (withTap) {
      MTAudioProcessingTapCallbacks callbacks{};
      callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
      callbacks.prepare = [](MTAudioProcessingTapRef, CMItemCount,
                             const AudioStreamBasicDescription* f) {
        recorder->prepares.push_back(*f);
      };
      callbacks.process = process;
      callbacks.unprepare = [](MTAudioProcessingTapRef) { ++recorder->unprepares; };
      callbacks.finalize = [](MTAudioProcessingTapRef) { ++recorder->finalizes; };
      EXPECT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 1, &tap), noErr);
    }
    auto t = std::make_unique<TrackPlayback>(
        "t.wav", input, withTap ? make<TapOwner>(tap) : nullptr, tap, layout, block);
    t->prepare();
    return t;
  }

  std::vector<float> renderAll(TrackPlayback& t, int64_t ask) {
    std::vector<float> out(input.samples.size());
    int64_t done = 0;
    while (!t.finished()) done += t.render(out.data() + done * input.channels, ask);
    EXPECT_EQ(t.render(out.data(), ask), 0);
    return out;
  }

  Recorder rec;
  host::DecodedAudio input = tunely_test::testSignal(44100, 2, 10000 / 44100.0);
};

TEST_F(TrackPlaybackTest, EachBlockAsksForTheBlockSizeAndTheLastOnlyForWhatRemains) {
  auto t = track(SampleLayout::NonInterleaved, 4096);
  ASSERT_EQ(input.frames, 10000);
  renderAll(*t, 1 << 20);  // asking for more than a block gets a block
  EXPECT_EQ(rec.asked, (std::vector<CMItemCount>{4096, 4096, 1808}));
}

TEST_F(TrackPlaybackTest, BothLayoutsHandTheTapFloatBuffersAndGiveTheSameSound) {
  std::vector<float> negated = input.samples;
  for (float& x : negated) x = -x;
  for (SampleLayout layout : {SampleLayout::NonInterleaved, SampleLayout::Interleaved}) {
    rec = {};
    auto t = track(layout, 1000);
    EXPECT_EQ(renderAll(*t, 1000), negated);
    ASSERT_EQ(rec.prepares.size(), 1u);
    const AudioStreamBasicDescription& f = rec.prepares[0];
    const bool split = layout == SampleLayout::NonInterleaved;
    EXPECT_EQ(f.mFormatID, kAudioFormatLinearPCM);
    EXPECT_EQ(f.mFormatFlags, split ? 41u : 9u);
    EXPECT_EQ(f.mSampleRate, 44100);
    EXPECT_EQ(f.mChannelsPerFrame, 2u);
    EXPECT_EQ(f.mBitsPerChannel, 32u);
    EXPECT_EQ(f.mBytesPerFrame, split ? 4u : 8u);
    EXPECT_EQ(rec.buffers.front(), split ? 2u : 1u);
  }
}

TEST_F(TrackPlaybackTest, FinishUnpreparesOnceAndReleasingTheItemFinalizesTheTap) {
  auto t = track(SampleLayout::NonInterleaved, 4096);
  renderAll(*t, 4096);
  EXPECT_EQ(rec.unprepares, 0);
  t->finish();
  t->finish();
  EXPECT_EQ(rec.unprepares, 1);
  EXPECT_EQ(rec.finalizes, 1);
  EXPECT_TRUE(t->hasTap());
}

TEST_F(TrackPlaybackTest, WithoutATapTheAudioPassesUnchangedAndIsMetered) {
  auto t = track(SampleLayout::NonInterleaved, 512, false);
  EXPECT_EQ(renderAll(*t, 700), input.samples);
  EXPECT_EQ(t->inputLevels().samples(), 20000);
  EXPECT_EQ(t->outputLevels().peak(), t->inputLevels().peak());
  EXPECT_EQ(t->outputLevels().rms(), t->inputLevels().rms());
}

}  // namespace
