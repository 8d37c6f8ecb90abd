// End-to-end: one NaN, infinite or huge sample in a decoded file, with the equalizer on, played
// by the built `tunely` into a WAV file. The damage must stay inside its block and the next
// track must be equalized exactly as the engine equalizes it without the damage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "CommandHarness.h"
#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"

namespace {

using host::DecodedAudio;
using namespace tunely_test;

constexpr int64_t kBlockFrames = 4096;  // the command's default block
constexpr double kRate = 44100.0;

// A last state with a 6 dB high shelf at 2222 Hz and a bass boost.
const std::map<std::string, std::string> kSettings{
    {"bassgain", "0.800000"}, {"bassfreq", "80.000000"},   {"bassintens", "2.000000"},
    {"filtgain", "6.000000"}, {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"},
    {"filttype", "2"}};

// The equalizer of kSettings run in this process, from a fresh filter state, over the
// interleaved samples of frames [from, to) (in the order the tap walks them: left 0, right 0,
// left 1, ...).
void equalize(std::vector<float>& samples, int channels, int64_t from, int64_t to) {
  using namespace lowtide;
  resetEngineForTesting();
  prepareEq(kRate);
  bassgain = 0.8;
  bassfreq = 80.0;
  bassintens = 2.0;
  gain = 6.0;
  freq = 2222.0;
  bandwidth = 5.0;
  eqType = 2;
  selectKernel(case1);
  updateEq();
  for (size_t i = size_t(from * channels); i < size_t(to * channels); ++i)
    samples[i] = performFilters.load()(samples[i]);
  resetEngineForTesting();
}

size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b, size_t from,
                       size_t to) {
  for (size_t i = from; i < to; ++i)
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return i;
  return to;
}

class NonFiniteSampleSessionTest : public ::testing::Test {
 protected:
  // Plays a three-second first track whose left sample at 2.5 s is `bad`, then a one-second
  // second track, with the settings loaded (at 2.0 s, as the controls load them).
  void play(float bad) {
    writeLastState(temp_.file("device"), kSettings);
    first_ = testSignal(kRate, 2, 3.0, 21);
    second_ = testSignal(kRate, 2, 1.0, 22);
    damagedFrame_ = int64_t(2.5 * kRate);
    input_ = first_.samples;
    input_.insert(input_.end(), second_.samples.begin(), second_.samples.end());
    DecodedAudio damaged = first_;
    damaged.samples[size_t(damagedFrame_) * 2] = bad;
    writeFloatWav(temp_.file("first.wav"), damaged);
    writeFloatWav(temp_.file("second.wav"), second_);
    const CommandResult r =
        runTunely({"play", "--device-root", temp_.file("device"), temp_.file("first.wav"),
                   temp_.file("second.wav"), "--output", temp_.file("out.wav")},
                  temp_.path());
    ASSERT_EQ(r.status, 0) << r.output;
    output_ = readWav(temp_.file("out.wav")).samples;
    ASSERT_EQ(output_.size(), input_.size());
    const float stored = readWav(temp_.file("first.wav")).samples[size_t(damagedFrame_) * 2];
    ASSERT_TRUE(std::isnan(bad) ? std::isnan(stored) : stored == bad) << "the file holds the damage";
    ASSERT_LT(settingsLoadedAt(), damagedFrame_) << "the equalizer is on when the damage comes";
  }

  int64_t settingsLoadedAt() const { return firstBlockAtOrAfter(2.0, {first_, second_}, kBlockFrames); }
  int64_t totalFrames() const { return first_.frames + second_.frames; }

  // The queue equalized in this process from the moment the settings are loaded.
  std::vector<float> equalizedQueue(const std::vector<float>& samples) const {
    std::vector<float> expected = samples;
    equalize(expected, 2, settingsLoadedAt(), totalFrames());
    return expected;
  }

  TempFolder temp_;
  DecodedAudio first_, second_;
  int64_t damagedFrame_ = 0;
  std::vector<float> input_, output_;
};

TEST_F(NonFiniteSampleSessionTest, NaNAndInfinitePlayAsSilenceAndTheNextTrackIsEqualized) {
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(bad);
    play(bad);
    if (HasFatalFailure()) return;
    for (size_t i = 0; i < output_.size(); ++i) ASSERT_TRUE(std::isfinite(output_[i])) << "sample " << i;
    // Exactly what the equalizer makes of the queue with silence in place of the damage, the
    // second track included.
    std::vector<float> silenced = input_;
    silenced[size_t(damagedFrame_) * 2] = 0.0f;
    const std::vector<float> expected = equalizedQueue(silenced);
    EXPECT_EQ(firstDifference(output_, expected, 0, output_.size()), output_.size());
    const size_t secondStart = size_t(first_.frames) * 2;
    EXPECT_NE(firstDifference(output_, input_, secondStart, output_.size()), output_.size())
        << "the second track must come out changed by the equalizer";
  }
}

TEST_F(NonFiniteSampleSessionTest, AHugeSampleDamagesOnlyItsBlockAndTheNextTrackIsEqualized) {
  play(3e38f);  // the 6 dB shelf takes it past the largest float
  if (HasFatalFailure()) return;
  const int64_t blockStart = damagedFrame_ / kBlockFrames * kBlockFrames;
  const int64_t blockEnd = blockStart + kBlockFrames;
  ASSERT_LE(blockEnd, first_.frames);
  for (size_t i = 0; i < output_.size(); ++i) {
    const int64_t frame = int64_t(i / 2);
    if (frame < blockStart || frame >= blockEnd) {
      ASSERT_TRUE(std::isfinite(output_[i])) << "sample " << i;
    }
  }
  EXPECT_FALSE(std::isfinite(output_[size_t(damagedFrame_) * 2])) << "the sample overflowed";

  // Up to the damage, the undamaged render; after its block, the equalizer starting afresh.
  const std::vector<float> undamaged = equalizedQueue(input_);
  EXPECT_EQ(firstDifference(output_, undamaged, 0, size_t(damagedFrame_) * 2), size_t(damagedFrame_) * 2);
  std::vector<float> restarted = input_;
  equalize(restarted, 2, blockEnd, totalFrames());
  EXPECT_EQ(firstDifference(output_, restarted, size_t(blockEnd) * 2, output_.size()), output_.size());
  const size_t secondStart = size_t(first_.frames) * 2;
  EXPECT_NE(firstDifference(output_, input_, secondStart, output_.size()), output_.size());
}

}  // namespace
