// What the audio thread runs must not allocate: taking blocks from the decoded ring through a
// tap (whole blocks as offline, blocks spanning slots as the sound device asks), resampling a
// track to the device's rate, the device's callbacks while paused or held, the hand-over that
// prepares the system's tap for the next track's rate, the volume and peak limiter after them,
// and the desktop sink's cycles with a change of the graph's rate. Every allocation of this test program is counted, C's malloc
// family included (libsoxr is C), while the counting thread plays. Sanitizers replace malloc
// themselves, so their builds skip these tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "CommandHarness.h"
#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/ProcessingTap.h"
#include "host/desktop/DesktopTap.h"
#include "host/media/CompareStage.h"
#include "host/media/DeviceFeed.h"
#include "host/media/LoudnessMeter.h"
#include "host/media/OutputStages.h"
#include "host/media/PeakLimiter.h"
#include "host/media/TrackLoader.h"
#include "host/media/TrackPlayback.h"
#include "mediatoolbox/MTAudioProcessingTap.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TUNELY_COUNTS_ALLOCATIONS 0
#else
#define TUNELY_COUNTS_ALLOCATIONS 1
#endif

namespace {

std::atomic<long> allocations{0};
thread_local bool counting = false;

}  // namespace

#if TUNELY_COUNTS_ALLOCATIONS
namespace {

void note() {
  if (counting) allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t size) {
  note();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  note();
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  note();
  return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
  note();
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size) {
  *out = memalign(alignment, size);
  return *out ? 0 : 12;  // ENOMEM
}
}
#endif

namespace {

using host::SampleLayout;
using host::TrackPlayback;

struct TapOwner : NSObject {
  explicit TapOwner(MTAudioProcessingTapRef t) : tap(t) {}
  ~TapOwner() override { CFRelease(tap); }
  MTAudioProcessingTapRef tap;
};

// Halves every sample it fetches, in whatever buffers it is handed.
void halve(MTAudioProcessingTapRef tap, CMItemCount frames, MTAudioProcessingTapFlags,
           AudioBufferList* list, CMItemCount* framesOut, MTAudioProcessingTapFlags* flagsOut) {
  MTAudioProcessingTapGetSourceAudio(tap, frames, list, flagsOut, nullptr, framesOut);
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b) {
    auto* s = static_cast<float*>(list->mBuffers[b].mData);
    for (size_t i = 0; i < list->mBuffers[b].mDataByteSize / sizeof(float); ++i) s[i] *= 0.5f;
  }
}

// The system's own tap, as its hook attaches it to every player item.
MTAudioProcessingTapCallbacks systemTap() {
  MTAudioProcessingTapCallbacks callbacks{};
  callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
  callbacks.init = lowtide::tap_InitCallback;
  callbacks.finalize = lowtide::tap_FinalizeCallback;
  callbacks.prepare = lowtide::tap_PrepareCallback;
  callbacks.unprepare = lowtide::tap_UnprepareCallback;
  callbacks.process = lowtide::tap_ProcessCallback;
  return callbacks;
}

MTAudioProcessingTapCallbacks halvingTap() {
  MTAudioProcessingTapCallbacks callbacks{};
  callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
  callbacks.process = halve;
  return callbacks;
}

class AudioThreadAllocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TUNELY_COUNTS_ALLOCATIONS) GTEST_SKIP() << "the sanitizer owns malloc";
  }

  // A track whose tap is made from `callbacks`, prepared unless it is left for the hand-over.
  std::unique_ptr<TrackPlayback> track(double rate, SampleLayout layout, int64_t block,
                                       const MTAudioProcessingTapCallbacks& callbacks = halvingTap(),
                                       bool prepared = true, double seconds = 2.0) {
    const std::string path = temp.file("t" + std::to_string(++files) + ".wav");
    tunely_test::writeFloatWav(path, tunely_test::testSignal(rate, 2, seconds));
    MTAudioProcessingTapRef tap = nullptr;
    EXPECT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 1, &tap), noErr);
    auto stream = host::openTrackStream(path, {layout, block}, true);
    EXPECT_TRUE(stream) << stream.error;
    auto t = std::make_unique<TrackPlayback>(path, std::move(*stream.value), make<TapOwner>(tap),
                                             tap, layout, block);
    if (prepared) t->prepare();
    return t;
  }

  // Plays the whole track `ask` frames at a time, counting only while the track plays; the
  // decoding in between (this thread stands in for the decoding thread) is not counted.
  long playCounting(TrackPlayback& t, int64_t ask) {
    std::vector<float> out(size_t(ask) * 2);
    allocations = 0;
    for (bool ended = false; !ended;) {
      counting = true;
      const int64_t n = t.play(out.data(), ask, &ended);
      counting = false;
      if (n == 0 && !ended) t.stream().work();
    }
    return allocations.load();
  }

  tunely_test::TempFolder temp;
  int files = 0;
};

TEST_F(AudioThreadAllocationTest, TheCounterSeesAllocations) {
  void* (*volatile allocate)(size_t) = std::malloc;  // called for certain, not optimised away
  allocations = 0;
  counting = true;
  void* p = allocate(16);
  std::vector<int> v(3);
  counting = false;
  std::free(p);
  EXPECT_EQ(allocations.load(), 2);
}

// The loudness meter takes all its memory when made: a minute of 5.1, in blocks that end off
// its 100 ms boundaries, and reading its figures, allocate nothing.
TEST_F(AudioThreadAllocationTest, TheLoudnessMeterAllocatesNothingOnceMade) {
  host::LoudnessMeter meter(6, 48000);
  std::vector<float> block(4096 * 6);
  for (size_t i = 0; i < block.size(); ++i) block[i] = float(0.3 * std::sin(0.01 * double(i)));
  allocations = 0;
  counting = true;
  double last = 0;
  for (int i = 0; i < 700; ++i) {
    meter.add(block.data(), 4096);
    last = meter.momentary() + meter.shortTerm() + meter.integrated();
  }
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_TRUE(std::isfinite(last));
}

TEST_F(AudioThreadAllocationTest, TakingBlocksFromTheRingThroughATapAllocatesNothing) {
  for (SampleLayout layout : {SampleLayout::NonInterleaved, SampleLayout::Interleaved}) {
    auto whole = track(44100, layout, 4096);
    EXPECT_EQ(playCounting(*whole, 4096), 0);  // as offline: one slot per block
    auto spanning = track(44100, layout, 512);
    EXPECT_EQ(playCounting(*spanning, 300), 0);  // as the device may ask: across slots
  }
}

TEST_F(AudioThreadAllocationTest, ResamplingToTheDeviceRateAllocatesNothing) {
  const struct {
    double from, to;
    int64_t block;
  } cases[] = {{48000, 44100, 4096}, {44100, 48000, 4096}, {22050, 48000, 512},
               {96000, 44100, 1000}, {8000, 48000, 4096}, {44100, 48000, 65536}};
  for (const auto& c : cases) {
    auto t = track(c.from, SampleLayout::NonInterleaved, c.block);
    std::string error;
    ASSERT_TRUE(t->playAtRate(c.to, error)) << error;
    EXPECT_EQ(playCounting(*t, c.block), 0) << c.from << " -> " << c.to << " in " << c.block;
  }
}

// The hold handshake too: a hold counts as acknowledged only once a callback has started after
// it; from then on nothing renders until it is released.
TEST_F(AudioThreadAllocationTest, TheDeviceCallbackAllocatesNothingPlayingPausedOrHeld) {
  auto t = track(44100, SampleLayout::NonInterleaved, 512);
  t->stream().work();  // the whole track decoded: every callback below has audio to play
  host::DeviceFeed feed;
  feed.configure(2, 512);
  ASSERT_TRUE(feed.handOver(t.get()));
  std::vector<float> out(700 * 2);
  const auto callbacks = [&] {
    allocations = 0;
    counting = true;
    for (int i = 0; i < 3; ++i) feed.fill(out.data(), 700);
    counting = false;
    return allocations.load();
  };
  EXPECT_EQ(callbacks(), 0);
  feed.setPaused(true);
  EXPECT_EQ(callbacks(), 0);
  feed.setPaused(false);
  feed.requestHold();
  EXPECT_FALSE(feed.holdAcknowledged());  // the pause's acknowledgement answers another request
  EXPECT_EQ(callbacks(), 0);
  EXPECT_TRUE(feed.holdAcknowledged());
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float x) { return x == 0.0f; }));
  feed.releaseHold();
  EXPECT_EQ(callbacks(), 0);
  EXPECT_EQ(t->framesRendered(), 2 * 3 * 700);  // played on when not held still
  EXPECT_EQ(feed.framesHeld(), 2 * 3 * 700);
}

// What follows the tracks on the way to the speakers: the volume (steady and ramping to a new
// setting) and the peak limiter (idle and acting).
TEST_F(AudioThreadAllocationTest, TheVolumeAndThePeakLimiterAllocateNothing) {
  auto t = track(44100, SampleLayout::NonInterleaved, 512);
  t->stream().work();
  host::DeviceFeed feed;
  feed.configure(2, 512, 44100);
  feed.setLimiterOn(true);
  ASSERT_TRUE(feed.handOver(t.get()));
  std::vector<float> out(700 * 2);
  allocations = 0;
  counting = true;
  feed.fill(out.data(), 700);
  feed.volume().setVolume(0.5f);
  feed.fill(out.data(), 700);
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  // Loud enough to act: the limiter alone, on a block far over full scale.
  host::PeakLimiter limiter;
  limiter.configure(2, 44100);
  std::vector<float> loud(4096 * 2, 8.0f);
  allocations = 0;
  counting = true;
  limiter.process(loud.data(), 4096);
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_LT(limiter.reductionDb(), -18.0);
}

// The A/B comparison after the tap: measuring, switching to Bypass with the level-matched gain
// worked out on the spot, both crossfades, both steady sides, and unmatched.
TEST_F(AudioThreadAllocationTest, TheComparisonAllocatesNothingSwitchingEitherWay) {
  using Mode = host::CompareStage::Mode;
  host::CompareStage compare;
  auto t = track(44100, SampleLayout::NonInterleaved, 512, halvingTap(), true, 5.0);
  t->compareThrough(&compare);
  std::vector<float> out(512 * 2);
  allocations = 0;
  double matchedDb = 0;
  int block = 0;
  for (bool ended = false; !ended; ++block) {
    if (block == 300) compare.request(Mode::Matched);  // 3.5 s in: enough measured
    if (block == 330) matchedDb = compare.gainDb(), compare.request(Mode::Off);
    if (block == 360) compare.request(Mode::Unmatched);
    counting = true;
    const int64_t n = t->play(out.data(), 512, &ended);
    counting = false;
    if (n == 0 && !ended) t->stream().work();
  }
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_NEAR(matchedDb, -6.02, 0.05);  // the tap halves: Bypass is brought down as far
  EXPECT_GT(compare.secondsBypass(), 1.0);
}

}  // namespace

// The sink's data thread: cycles of any length, longer than the tap's block too, and a new
// graph rate prepared between two cycles.
TEST_F(AudioThreadAllocationTest, TheDesktopTapAllocatesNothingOnAnyCycleOrANewRate) {
  const MTAudioProcessingTapCallbacks callbacks = halvingTap();
  MTAudioProcessingTapRef tap = nullptr;
  ASSERT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 1, &tap), noErr);
  host::DesktopTap desktop(make<TapOwner>(tap), tap, 2, 48000);
  const int64_t longest = host::DesktopTap::kMaxFrames * 2 + 5;
  std::vector<float> in(size_t(longest) * 2, 0.5f), out(in.size());
  allocations = 0;
  for (int64_t frames : {int64_t(1), int64_t(256), int64_t(1024), host::DesktopTap::kMaxFrames, longest}) {
    if (frames == 1024) desktop.rateChanged(44100);
    counting = true;
    desktop.process(in.data(), out.data(), frames);
    counting = false;
    EXPECT_EQ(out[size_t(frames) * 2 - 1], 0.25f) << frames;  // the tap halved every sample
  }
  EXPECT_EQ(desktop.preparedRate(), 44100);
  EXPECT_EQ(allocations.load(), 0);
}

// The comparison on the sink's data thread, in place as PipeWire hands the buffer, with a
// loudness measure for a new rate taken between two cycles.
TEST_F(AudioThreadAllocationTest, TheDesktopComparisonAllocatesNothingInPlaceOrAtANewRate) {
  MTAudioProcessingTapCallbacks callbacks{};
  callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
  callbacks.process = halve;
  MTAudioProcessingTapRef tap = nullptr;
  ASSERT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 1, &tap), noErr);
  host::DesktopTap desktop(make<TapOwner>(tap), tap, 2, 48000);
  host::CompareStage compare;
  desktop.compareThrough(&compare);
  compare.request(host::CompareStage::Mode::Unmatched);
  std::vector<float> buffer(2048 * 2);
  allocations = 0;
  for (int cycle = 0; cycle < 40; ++cycle) {
    if (cycle == 20) {
      desktop.rateChanged(44100);
      desktop.measureAt(44100);  // the main thread's part
    }
    std::fill(buffer.begin(), buffer.end(), 0.5f);
    counting = true;
    desktop.process(buffer.data(), buffer.data(), 2048);
    counting = false;
  }
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_EQ(buffer.back(), 0.5f);    // Bypass: the input, not the halved output
}

// A live hand-over to a track of another rate: the audio thread takes the track and prepares
// the system's tap for it (the engine designs its filters for the new rate) between two
// samples of one callback, then plays it through the volume and the limiter.
TEST_F(AudioThreadAllocationTest, TheHandOverPreparesTheSystemsTapForANewRateWithoutAllocating) {
  lowtide::resetEngineForTesting();
  {
    auto first = track(44100, SampleLayout::NonInterleaved, 512, systemTap());  // the engine's first design
    auto second = track(48000, SampleLayout::NonInterleaved, 512, systemTap(), false);
    first->stream().work();
    second->stream().work();
    host::DeviceFeed feed;
    feed.configure(2, 512, 44100);
    feed.setLimiterOn(true);
    std::vector<float> out(700 * 2);
    ASSERT_TRUE(feed.handOver(first.get()));
    feed.fill(out.data(), 700);
    ASSERT_TRUE(feed.handOver(second.get()));
    allocations = 0;
    counting = true;
    for (int i = 0; i < 200 && second->framesRendered() < 48000; ++i) {
      if (i == 50) feed.volume().setVolume(0.7f);
      feed.fill(out.data(), 700);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_TRUE(second->prepared());
    EXPECT_GE(second->framesRendered(), 48000) << "the second track played";
  }
  lowtide::resetEngineForTesting();
}

// The desktop sink's cycle as its data thread runs it: the system's tap, then the volume and
// the limiter, on cycles of any length, through a change of volume and two changes of the
// graph's rate (the tap prepared and the limiter started again for each).
TEST_F(AudioThreadAllocationTest, TheSinksCycleThroughTheSystemsTapAndTheOutputStagesAllocatesNothing) {
  lowtide::resetEngineForTesting();
  {
    const MTAudioProcessingTapCallbacks callbacks = systemTap();
    MTAudioProcessingTapRef tap = nullptr;
    ASSERT_EQ(MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 1, &tap), noErr);
    host::DesktopTap desktop(make<TapOwner>(tap), tap, 2, 48000);  // the engine's first design
    host::OutputStages stages;
    stages.configure(2, 48000, 384000);
    stages.setLimiterOn(true);
    std::vector<float> in(size_t(host::DesktopTap::kMaxFrames) * 2 * 2), out(in.size());
    for (size_t i = 0; i < in.size(); ++i) in[i] = float(2.0 * std::sin(0.003 * double(i)));  // loud: the limiter acts
    double rate = 48000;
    allocations = 0;
    counting = true;
    for (const int64_t frames : {int64_t(128), int64_t(1024), int64_t(441), host::DesktopTap::kMaxFrames * 2, int64_t(1)}) {
      if (frames == 441 || frames == 1) {
        rate = frames == 1 ? 96000 : 44100;
        desktop.rateChanged(rate);
        stages.volume().setVolume(0.5f);
      }
      desktop.process(in.data(), out.data(), frames);
      stages.rateChanged(rate);
      stages.process(out.data(), frames);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(desktop.preparedRate(), 96000);
    EXPECT_EQ(stages.limiter().sampleRate(), 96000);
    EXPECT_GT(stages.limiter().framesLimited(), 0) << "the limiter acted";
  }
  lowtide::resetEngineForTesting();
}
