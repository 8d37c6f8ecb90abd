// The media pipeline's side of a tap: block sizes, stream descriptions, buffer layouts and the
// tap's life cycle, against a tap whose callbacks record what they are given; blocks taken from a
// stream decoded ahead, and what is measured of them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CommandHarness.h"
#include "host/media/TrackLoader.h"
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

  std::unique_ptr<TrackPlayback> track(SampleLayout layout, int64_t block, bool withTap = true,
                                       bool measureOutput = false) {
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
    if (!written) {
      tunely_test::writeFloatWav(temp.file("t.wav"), input);
      written = true;
    }
    auto stream = host::openTrackStream(temp.file("t.wav"), {layout, block}, measureOutput);
    EXPECT_TRUE(stream) << stream.error;
    auto t = std::make_unique<TrackPlayback>("t.wav", std::move(*stream.value),
                                             withTap ? make<TapOwner>(tap) : nullptr, tap,
                                             layout, block);
    t->prepare();
    return t;
  }

  // Plays the track to its end, decoding on this thread whenever the ring runs dry.
  std::vector<float> renderAll(TrackPlayback& t, int64_t ask) {
    std::vector<float> out(input.samples.size());
    int64_t done = 0;
    while (!t.finished()) {
      const int64_t n = t.render(out.data() + done * input.channels, ask);
      if (n == 0) t.stream().work();
      done += n;
    }
    EXPECT_EQ(done, input.frames);
    EXPECT_EQ(t.render(out.data(), ask), 0);
    return out;
  }

  Recorder rec;
  host::DecodedAudio input = tunely_test::testSignal(44100, 2, 10000 / 44100.0);
  tunely_test::TempFolder temp;
  bool written = false;
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

TEST_F(TrackPlaybackTest, WithoutATapTheAudioPassesUnchangedAndIsMeasured) {
  auto t = track(SampleLayout::NonInterleaved, 512, false, true);
  EXPECT_EQ(renderAll(*t, 700), input.samples);
  t->finish();
  const host::LevelMeter& in = t->stream().input().levels();
  const host::LevelMeter& out = t->stream().output().levels();
  EXPECT_EQ(in.samples(), 20000);
  EXPECT_EQ(out.samples(), 20000);
  EXPECT_EQ(out.peak(), in.peak());
  EXPECT_EQ(out.rms(), in.rms());
  EXPECT_EQ(t->framesRendered(), 10000);
}

TEST_F(TrackPlaybackTest, BlocksSpanningDecodedSlotsPlayTheSameAndEveryPlayedFrameIsMeasured) {
  // 700 frames at a time from slots of 512: most blocks join the end of one slot to the start of
  // the next, and the tap's output is left beside the input in each slot to be measured.
  input = tunely_test::testSignal(44100, 2, 0.5);  // long enough for a loudness figure
  std::vector<float> negated = input.samples;
  for (float& x : negated) x = -x;
  auto t = track(SampleLayout::Interleaved, 512, true, true);
  EXPECT_EQ(renderAll(*t, 700), negated);
  t->finish();
  const host::LevelMeter& in = t->stream().input().levels();
  const host::LevelMeter& out = t->stream().output().levels();
  EXPECT_EQ(out.samples(), 2 * input.frames);
  EXPECT_EQ(out.peak(), in.peak());  // negating keeps every level
  EXPECT_DOUBLE_EQ(out.rms(), in.rms());
  EXPECT_DOUBLE_EQ(out.bassRms(), in.bassRms());
  EXPECT_TRUE(std::isfinite(t->stream().input().loudness()));
  EXPECT_NEAR(t->stream().input().loudness(), t->stream().output().loudness(), 1e-9);
}

TEST_F(TrackPlaybackTest, WhileDecodingIsBehindNothingPlaysAndTheTrackDoesNotEnd) {
  auto t = track(SampleLayout::NonInterleaved, 4096);
  std::vector<float> out(4096 * 2);
  bool ended = true;
  EXPECT_EQ(t->render(out.data(), 4096, &ended), 4096);  // the block decoded when opened
  EXPECT_EQ(t->render(out.data(), 4096, &ended), 0);
  EXPECT_FALSE(ended);
  EXPECT_FALSE(t->finished());
  t->stream().work();
  EXPECT_EQ(t->render(out.data(), 4096, &ended), 4096);
  EXPECT_EQ(rec.asked, (std::vector<CMItemCount>{4096, 4096}));  // the tap never saw an empty block
}

TEST_F(TrackPlaybackTest, ATrackPlayedAtAnotherRateLastsAsLongAndKeepsItsPitch) {
  input = tunely_test::testSignal(44100, 2, 1.0);
  auto t = track(SampleLayout::NonInterleaved, 1024, false);
  std::string error;
  ASSERT_TRUE(t->playAtRate(48000, error)) << error;
  std::vector<float> out;
  std::vector<float> block(1024 * 2);
  for (bool ended = false; !ended;) {
    const int64_t n = t->play(block.data(), 1024, &ended);
    if (n == 0 && !ended) t->stream().work();
    out.insert(out.end(), block.begin(), block.begin() + n * 2);
  }
  EXPECT_EQ(t->framesRendered(), 44100);  // the tap saw the track at its own rate, all of it
  EXPECT_EQ(out.size(), 48000u * 2);
  // The 55 Hz bass of the test signal stays 55 Hz: its phase against a 55 Hz reference at the new
  // rate holds still over the second, and the level is kept.
  double in = 0, quad = 0, energy = 0;
  for (size_t i = 4800; i < 43200; ++i) {
    const double phase = 2 * M_PI * 55.0 * double(i) / 48000;
    in += out[2 * i] * std::sin(phase);
    quad += out[2 * i] * std::cos(phase);
    energy += double(out[2 * i]) * out[2 * i];
  }
  const double amplitude = 2 * std::hypot(in, quad) / (43200 - 4800);
  EXPECT_NEAR(amplitude, 0.35, 0.01);
  EXPECT_NEAR(std::atan2(quad, in), 0.4, 0.01);  // the left channel's starting phase
  EXPECT_GT(energy, 0);
}

TEST_F(TrackPlaybackTest, ASeekPlaysOnFromTheFrameThroughTheSamePreparedTapMeasuringOnlyWhatPlayed) {
  auto t = track(SampleLayout::Interleaved, 1000, true, true);
  std::vector<float> out(input.samples.size());
  int64_t done = 0;
  const auto playTo = [&](int64_t until) {  // 700 frames at a time, across the decoded slots
    for (int64_t n; done < until && !t->finished(); done += n)
      if ((n = t->render(out.data() + done * 2, std::min<int64_t>(700, until - done))) == 0) t->stream().work();
  };
  playTo(2100);  // all the rest is decoded ahead by now
  std::string error;
  EXPECT_FALSE(t->seek(input.frames + 1, error));  // past the end: refused, nothing changes
  ASSERT_TRUE(t->seek(6000, error)) << error;
  playTo(input.frames);
  std::vector<float> expected(input.samples.begin(), input.samples.begin() + 2100 * 2);
  expected.insert(expected.end(), input.samples.begin() + 6000 * 2, input.samples.end());
  for (float& x : expected) x = -x;
  out.resize(size_t(done) * 2);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(t->position(), input.frames);
  t->finish();
  EXPECT_EQ(rec.prepares.size(), 1u);
  EXPECT_EQ(t->stream().input().levels().samples(), 2 * 6100);  // not what was dropped
  EXPECT_EQ(t->stream().output().levels().samples(), 2 * 6100);
}

}  // namespace
