// The tap's callbacks: format checks, the walk over the buffers, failures.
#include <algorithm>
#include <cmath>

#include "EngineFixture.h"
#include "TapHarness.h"

using namespace lowtide;

namespace {

constexpr UInt32 kFloat = kAudioFormatFlagIsFloat;
constexpr UInt32 kFloatNonInterleaved = kAudioFormatFlagIsFloat | kAudioFormatFlagIsNonInterleaved;

const char* const kIdMessage = "Unsupported audio format ID for audioProcessingTap. LinearPCM only.";
const char* const kFlagMessage = "Unsupported audio format flag for audioProcessingTap. Float only.";
const char* const kProcessMessage = "Unsupported tap processing format.";

// Records every sample the kernel sees, in order, and passes it on doubled.
std::vector<float>* seen = nullptr;
float recordingKernel(float x) {
  seen->push_back(x);
  return 2.0f * x;
}

}  // namespace

TEST_F(EngineTest, InitStartsAnEmptyContextWithTheClientInfo) {
  int marker = 0;
  TapHarness h(&marker);
  const TapContext& c = h.context();
  EXPECT_FALSE(c.formatSupported);
  EXPECT_FALSE(c.nonInterleaved);
  EXPECT_TRUE(std::isnan(c.sampleRate));
  EXPECT_EQ(c.audioUnit, nullptr);
  EXPECT_EQ(c.clientInfo, &marker);
}

TEST_F(EngineTest, PrepareChecksTheFormatAndAlwaysPreparesTheEngine) {
  {
    TapHarness h;
    h.prepare(streamFormat(kAudioFormatLinearPCM, kFloat, 48000.0));
    EXPECT_TRUE(h.context().formatSupported);
    EXPECT_FALSE(h.context().nonInterleaved);
    EXPECT_EQ(h.context().sampleRate, 48000.0);
    EXPECT_EQ(srate.load(), 48000.0);
    h.prepare(streamFormat(kAudioFormatLinearPCM, kFloatNonInterleaved));
    EXPECT_TRUE(h.context().nonInterleaved);
    h.prepare(streamFormat(kAudioFormatLinearPCM, kFloat));
    EXPECT_TRUE(h.context().nonInterleaved) << "the flag is never cleared";
  }
  EXPECT_TRUE(logLines().empty());

  TapHarness bad;
  bad.prepare(streamFormat(0x2E6D7033 /* '.mp3' */, kAudioFormatFlagIsSignedInteger, 22050.0));
  EXPECT_FALSE(bad.context().formatSupported);
  EXPECT_EQ(logLines(), (std::vector<std::string>{kIdMessage, kFlagMessage}));
  EXPECT_EQ(srate.load(), 22050.0);
}

TEST_F(EngineTest, UnsupportedFormatLogsEveryBlockAndTouchesNothing) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kAudioFormatFlagIsSignedInteger));  // 16-bit integer
  EXPECT_EQ(logLines(), std::vector<std::string>{kFlagMessage});
  h.makeBuffers(1, 64, 2);
  h.script.samples = testSignal(64);
  EXPECT_EQ(h.process(32), -99);
  EXPECT_EQ(h.process(32), -99);
  EXPECT_EQ(h.script.fetches, 0);
  EXPECT_TRUE(std::all_of(h.buffer(0).begin(), h.buffer(0).end(), [](float v) { return v == 7.0f; }));
  EXPECT_EQ(logLines(), (std::vector<std::string>{kFlagMessage, kProcessMessage, kProcessMessage}));
}

TEST_F(EngineTest, PassThroughReturnsTheSourceAudio) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kFloat));
  ASSERT_EQ(performFilters.load(), case4);
  h.makeBuffers(1, 1024, 2);
  h.script.samples = testSignal(1024);
  EXPECT_EQ(h.process(512), 512);
  EXPECT_EQ(h.buffer(0), h.script.samples);
}

TEST_F(EngineTest, BothLayoutsWalkLeftRightAlternatelyAndAgree) {
  const std::vector<float> left = testSignal(512, 0.0f), right = testSignal(512, 1.3f);
  std::vector<float> interleaved;
  for (size_t i = 0; i < 512; ++i) {
    interleaved.push_back(left[i]);
    interleaved.push_back(right[i]);
  }
  std::vector<float> seenInterleaved, seenSplit;

  TapHarness one;
  one.prepare(streamFormat(kAudioFormatLinearPCM, kFloat));
  one.makeBuffers(1, 1024, 2);
  one.script.samples = interleaved;
  seen = &seenInterleaved;
  performFilters = recordingKernel;
  one.process(512);

  TapHarness two;
  two.prepare(streamFormat(kAudioFormatLinearPCM, kFloatNonInterleaved));
  two.makeBuffers(2, 512, 1);
  two.script.samples = left;
  two.script.samples.insert(two.script.samples.end(), right.begin(), right.end());
  seen = &seenSplit;
  performFilters = recordingKernel;
  two.process(512);

  EXPECT_EQ(seenInterleaved, interleaved);
  EXPECT_EQ(seenSplit, interleaved);
  for (size_t i = 0; i < 512; ++i) {
    ASSERT_EQ(two.buffer(0)[i], one.buffer(0)[2 * i]);
    ASSERT_EQ(two.buffer(1)[i], one.buffer(0)[2 * i + 1]);
  }
}

TEST_F(EngineTest, ThreeBuffersAreFetchedButNotProcessed) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kFloatNonInterleaved));
  performFilters = recordingKernel;
  std::vector<float> calls;
  seen = &calls;
  h.makeBuffers(3, 128, 1);
  h.script.samples = testSignal(384);
  h.process(128);
  EXPECT_EQ(h.script.fetches, 1);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(h.buffer(2), std::vector<float>(h.script.samples.begin() + 256, h.script.samples.end()));
}

TEST_F(EngineTest, FailedFetchIsLoggedAfterTheBlockIsProcessed) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kFloat));
  std::vector<float> calls;
  seen = &calls;
  performFilters = recordingKernel;
  size_t logLinesAtFirstCall = 99;
  h.makeBuffers(1, 16, 2);
  h.script.samples = testSignal(16);
  h.script.status = -1;
  NSLogSink testSink = NSLogSetSink(nullptr);
  std::vector<std::string> lines;
  NSLogSetSink([&](const std::string& line) {
    lines.push_back(line);
    if (logLinesAtFirstCall == 99) logLinesAtFirstCall = calls.size();
  });
  h.process(8);
  NSLogSetSink(testSink);
  EXPECT_EQ(lines, std::vector<std::string>{"MTAudioProcessingTapGetSourceAudio: -1"});
  EXPECT_EQ(logLinesAtFirstCall, 16u) << "the block is walked before the failure is logged";
  EXPECT_EQ(h.buffer(0)[3], 2.0f * h.script.samples[3]);
}

TEST_F(EngineTest, ShortDeliveryClearsTheTailAndTheWalkStaysInTheBuffers) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kFloatNonInterleaved));
  std::vector<float> calls;
  seen = &calls;
  performFilters = recordingKernel;
  h.makeBuffers(2, 100, 1, 7.0f);  // 100 frames of room, 300 asked for
  h.script.samples = testSignal(200);
  h.script.framesDelivered = 40;
  h.process(300);
  ASSERT_EQ(calls.size(), 200u) << "bounded by the buffers' byte size";
  for (size_t i = 0; i < 40; ++i) {
    ASSERT_EQ(calls[2 * i], h.script.samples[i]);
    ASSERT_EQ(calls[2 * i + 1], h.script.samples[100 + i]);
  }
  for (size_t i = 80; i < 200; ++i) ASSERT_EQ(calls[i], 0.0f) << "stale samples reached the kernel";
}

TEST_F(EngineTest, UnevenBuffersWalkOnlyTheSmallerOne) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kFloatNonInterleaved));
  std::vector<float> calls;
  seen = &calls;
  performFilters = recordingKernel;
  h.makeBuffers(2, 64, 1);
  h.list()->mBuffers[1].mDataByteSize = 10 * sizeof(float);
  h.script.samples = testSignal(128);
  h.process(64);
  EXPECT_EQ(calls.size(), 20u);
  EXPECT_EQ(h.buffer(0)[10], h.script.samples[10]) << "beyond the walk: fetched, untouched";
}

TEST_F(EngineTest, ZeroFramesFetchesAndProcessesNothing) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kFloat));
  std::vector<float> calls;
  seen = &calls;
  performFilters = recordingKernel;
  h.makeBuffers(1, 16, 2);
  h.script.samples = testSignal(16);
  h.script.framesDelivered = 0;
  EXPECT_EQ(h.process(0), 0);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(h.buffer(0), std::vector<float>(16, 7.0f)) << "nothing asked, nothing delivered";
  EXPECT_TRUE(logLines().empty());
}

TEST_F(EngineTest, UnprepareReleasesAnAudioUnitOnce) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM, kFloat));
  MTAudioProcessingTapUnprepare(h.tap());  // none held: nothing to do
  AudioComponentInstance unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(nullptr, &unit), noErr);
  AudioUnitInitialize(unit);
  h.context().audioUnit = unit;
  MTAudioProcessingTapUnprepare(h.tap());
  EXPECT_EQ(h.context().audioUnit, nullptr);  // disposed (a leak shows under LeakSanitizer)
  MTAudioProcessingTapUnprepare(h.tap());
}
