// A NaN, an infinity or a sample so large that the filters overflow must not ruin the one filter
// state every track shares: the damage stays inside its block, and everything else is processed
// exactly as without it.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "EngineFixture.h"
#include "Lowtide/engine/NonFiniteGuard.h"
#include "TapHarness.h"

using namespace lowtide;

namespace {

constexpr size_t kBlockFrames = 256;
constexpr size_t kBlocks = 6;
constexpr size_t kDamagedFrame = 300;  // in the second block
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

struct Stereo {
  std::vector<float> left, right;
};

Stereo music() {
  return {testSignal(kBlocks * kBlockFrames, 0.0f), testSignal(kBlocks * kBlockFrames, 1.3f)};
}

// A fresh, prepared engine with a 6 dB high shelf and a bass boost.
void setUpEngine() {
  resetEngineForTesting();
  enabled = true;
  bassenabled = true;
  eqType = 2;
  gain = 6.0;
  freq = 2222.0;
  bandwidth = 5.0;
  bassfreq = 80.0;
  bassintens = 2.0;
  bassgain = 0.8;
  prepareEq(44100.0);
}

// Plays the frames from `firstFrame` on through a tap, two non-interleaved buffers, block by
// block, with the engine as it stands and `kernel` in force; returns the output.
Stereo playThroughTap(const Stereo& in, Kernel kernel, size_t firstFrame = 0) {
  TapHarness h;
  h.prepare(streamFormat(kAudioFormatLinearPCM,
                         kAudioFormatFlagIsFloat | kAudioFormatFlagIsNonInterleaved));
  selectKernel(kernel);
  h.makeBuffers(2, kBlockFrames, 1);
  Stereo out;
  for (size_t at = firstFrame; at < in.left.size(); at += kBlockFrames) {
    h.script.samples.assign(in.left.begin() + ptrdiff_t(at), in.left.begin() + ptrdiff_t(at + kBlockFrames));
    h.script.samples.insert(h.script.samples.end(), in.right.begin() + ptrdiff_t(at),
                            in.right.begin() + ptrdiff_t(at + kBlockFrames));
    h.process(kBlockFrames);
    out.left.insert(out.left.end(), h.buffer(0).begin(), h.buffer(0).end());
    out.right.insert(out.right.end(), h.buffer(1).begin(), h.buffer(1).end());
  }
  return out;
}

Stereo playFromFreshEngine(const Stereo& in, Kernel kernel, size_t firstFrame = 0) {
  setUpEngine();
  return playThroughTap(in, kernel, firstFrame);
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The first frame in [from, to) whose output differs in bits, or `to`.
size_t firstDifference(const Stereo& a, const Stereo& b, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    if (!sameBits(a.left[i], b.left[i]) || !sameBits(a.right[i], b.right[i])) return i;
  }
  return to;
}

size_t firstNonFinite(const Stereo& s, size_t from) {
  for (size_t i = from; i < s.left.size(); ++i) {
    if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i])) return i;
  }
  return s.left.size();
}

}  // namespace

TEST_F(EngineTest, NaNAndInfiniteSamplesPlayAsSilence) {
  Stereo silenced = music();
  silenced.left[kDamagedFrame] = 0.0f;
  const Stereo expected = playFromFreshEngine(silenced, case1);
  const size_t end = expected.left.size();
  ASSERT_EQ(firstNonFinite(expected, 0), end);

  for (float bad : {kNaN, -kNaN, kInf, -kInf}) {
    Stereo damaged = music();
    damaged.left[kDamagedFrame] = bad;
    const Stereo out = playFromFreshEngine(damaged, case1);
    EXPECT_EQ(firstDifference(out, expected, 0, end), end) << bad;
  }
}

TEST_F(EngineTest, AnOverflowingSampleDamagesOnlyItsOwnBlock) {
  const Stereo clean = music();
  Stereo damaged = clean;
  damaged.left[kDamagedFrame] = 3e38f;  // the 6 dB shelf takes it beyond the largest float
  const size_t nextBlock = (kDamagedFrame / kBlockFrames + 1) * kBlockFrames;
  const size_t end = clean.left.size();

  const Stereo out = playFromFreshEngine(damaged, case1);
  const Stereo undamaged = playFromFreshEngine(clean, case1);
  EXPECT_EQ(firstDifference(out, undamaged, 0, kDamagedFrame), kDamagedFrame);
  ASSERT_FALSE(std::isfinite(out.left[kDamagedFrame])) << "the sample must overflow the filter";
  // After the block the filters start again from silence, as a freshly prepared engine would.
  EXPECT_EQ(firstNonFinite(out, nextBlock), end);
  const Stereo restarted = playFromFreshEngine(clean, case1, nextBlock);
  Stereo outAfter;
  outAfter.left.assign(out.left.begin() + ptrdiff_t(nextBlock), out.left.end());
  outAfter.right.assign(out.right.begin() + ptrdiff_t(nextBlock), out.right.end());
  EXPECT_EQ(firstDifference(outAfter, restarted, 0, end - nextBlock), end - nextBlock);
}

TEST_F(EngineTest, EveryKernelRecoversFromAnOverflowAfterTheBlock) {
  Stereo damaged = music();
  damaged.left[kDamagedFrame] = 3.4e38f;
  damaged.right[kDamagedFrame + 1] = -3.4e38f;
  const size_t nextBlock = (kDamagedFrame / kBlockFrames + 1) * kBlockFrames;
  for (Kernel kernel : {case1, case2, case3, case4, caseplus}) {
    const Stereo out = playFromFreshEngine(damaged, kernel);
    EXPECT_EQ(firstNonFinite(out, nextBlock), out.left.size());
    EXPECT_TRUE(std::isfinite(cap.load()));
    for (biquad* s : {mainFilter.load(), plusFilters[0].load(), plusFilters[5].load()}) {
      EXPECT_TRUE(std::isfinite(s->x1.load()) && std::isfinite(s->y1.load()) &&
                  std::isfinite(s->x2.load()) && std::isfinite(s->y2.load()));
    }
  }
}

TEST(NonFiniteGuardTest, FiniteSamplesKeepTheirBitsAndTheRestBecomesZero) {
  float nanWithPayload;
  const uint32_t payload = 0x7fc12345u;
  std::memcpy(&nanWithPayload, &payload, sizeof payload);
  const std::vector<float> finite{0.0f, -0.0f, FLT_MIN / 8.0f, -FLT_MIN, 1.0f, -0.5f, 3e38f,
                                  FLT_MAX, -FLT_MAX, 1e-30f, std::nextafter(FLT_MAX, 0.0f)};
  const std::vector<float> nonFinite{kNaN, -kNaN, nanWithPayload, kInf, -kInf};
  // 21 samples: two runs of eight and a tail, with non-finite values in both.
  std::vector<float> samples;
  for (size_t i = 0; i < 21; ++i)
    samples.push_back(i % 4 == 1 ? nonFinite[i / 4] : finite[i % finite.size()]);
  std::vector<float> expected = samples;
  for (float& x : expected)
    if (!std::isfinite(x)) x = 0.0f;

  silenceNonFiniteSamples(samples.data(), samples.size());
  for (size_t i = 0; i < samples.size(); ++i) EXPECT_TRUE(sameBits(samples[i], expected[i])) << i;
}

TEST_F(EngineTest, OnlyAHistoryThatIsNoLongerFiniteIsResetAndThenWhole) {
  setUpEngine();
  biquad* main = mainFilter.load();
  biquad* band = plusFilters[2].load();
  main->x1 = 3e38f;  // finite, but the next block would overflow on it again
  main->x2 = 0.25f;
  main->y1 = kInf;
  main->y2 = -0.5f;
  band->x1 = 1e38f;
  band->x2 = -FLT_MAX;
  band->y1 = FLT_MIN / 4.0f;
  band->y2 = 0.75f;
  cap = kNaN;
  resetNonFiniteFilterState();
  EXPECT_EQ(main->x1.load(), 0.0f);
  EXPECT_EQ(main->x2.load(), 0.0f);
  EXPECT_EQ(main->y1.load(), 0.0f);
  EXPECT_EQ(main->y2.load(), 0.0f);
  EXPECT_EQ(cap.load(), 0.0f);
  EXPECT_EQ(band->x1.load(), 1e38f);
  EXPECT_EQ(band->x2.load(), -FLT_MAX);
  EXPECT_EQ(band->y1.load(), FLT_MIN / 4.0f);
  EXPECT_EQ(band->y2.load(), 0.75f);

  cap = -2e38f;
  resetNonFiniteFilterState();
  EXPECT_EQ(cap.load(), -2e38f);
}
