// The A/B comparison offline, end to end through `tunely play`: a script switches to Bypass at 4 s
// and back at 7 s. Outside the comparison the file is today's render bit for bit; inside it, once
// the crossfade is over, it is the input times one gain, the loudness change measured so far
// (checked against libebur128); unmatched, the input itself; the crossfades never step further
// than the two signals they join.
#include <gtest/gtest.h>
#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>

#include "CommandHarness.h"

namespace {

using namespace tunely_test;
constexpr double kRate = 44100;
constexpr int64_t kBlock = 4096;
constexpr int64_t kFade = 882;  // 20 ms

double loudness(const std::vector<float>& samples, int64_t frames) {
  ebur128_state* st = ebur128_init(2, (unsigned long)kRate, EBUR128_MODE_I);
  ebur128_add_frames_float(st, samples.data(), size_t(frames));
  double lufs = 0;
  ebur128_loudness_global(st, &lufs);
  ebur128_destroy(&st);
  return lufs;
}

// The one float g with out == in * g for every sample of [from, to), if there is one.
std::optional<float> oneGain(const std::vector<float>& in, const std::vector<float>& out, int64_t from,
                             int64_t to) {
  size_t probe = size_t(from) * 2;
  while (probe < size_t(to) * 2 && std::fabs(in[probe]) < 0.1f) ++probe;
  const float guess = out[probe] / in[probe];
  for (int ulps = -4; ulps <= 4; ++ulps) {
    float g = guess;
    for (int i = 0; i < std::abs(ulps); ++i) g = std::nextafter(g, ulps < 0 ? 0.0f : 10.0f);
    bool all = true;
    for (size_t i = size_t(from) * 2; all && i < size_t(to) * 2; ++i) all = out[i] == in[i] * g;
    if (all) return g;
  }
  return std::nullopt;
}

// The largest step from one frame to the next within [from, to).
float largestStep(const std::vector<float>& s, int64_t from, int64_t to) {
  float step = 0;
  for (size_t i = size_t(from) * 2; i + 2 < size_t(to) * 2; ++i) step = std::max(step, std::fabs(s[i + 2] - s[i]));
  return step;
}

class CompareSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input = testSignal(kRate, 2, 10.0, 7);
    writeFloatWav(temp.file("in.wav"), input);
    // A bass boost and a bright shelf: clearly louder than the input.
    writeLastState(temp.file("device"), {{"bassgain", "0.800000"}, {"bassfreq", "80.000000"},
                                         {"bassintens", "2.000000"}, {"filtgain", "9.000000"},
                                         {"filtfreq", "3000.000000"}, {"filtbw", "5.000000"}, {"filttype", "2"}});
  }

  std::vector<float> render(const std::string& script, const std::string& name, std::vector<std::string> extra = {}) {
    std::ofstream(temp.file(name + ".script")) << script;
    std::vector<std::string> args{"play", "--device-root", temp.file("device"), "--script",
                                  temp.file(name + ".script"), "--output", temp.file(name + ".wav"),
                                  temp.file("in.wav")};
    args.insert(args.end(), extra.begin(), extra.end());
    const CommandResult result = runTunely(args, temp.path());
    EXPECT_EQ(result.status, 0) << result.output;
    output = result.output;
    return readWav(temp.file(name + ".wav")).samples;
  }

  TempFolder temp;
  host::DecodedAudio input;
  std::string output;
};

TEST_F(CompareSessionTest, BypassIsTheInputAtTheLoudnessOfTheOutputAndEverythingElseIsUntouched) {
  const std::vector<float> today = render("", "today");
  const std::vector<float> compared = render("4.0 compare on\n7.0 compare off\n", "compared");
  EXPECT_NE(output.find("Compared: Tunely heard for 7.0"), std::string::npos) << output;
  ASSERT_EQ(compared.size(), today.size());
  const int64_t on = firstBlockAtOrAfter(4.0, {input}, kBlock), off = firstBlockAtOrAfter(7.0, {input}, kBlock);

  // Outside: today's render, bit for bit.
  EXPECT_TRUE(std::equal(today.begin(), today.begin() + on * 2, compared.begin()));
  EXPECT_TRUE(std::equal(today.begin() + (off + kFade) * 2, today.end(), compared.begin() + (off + kFade) * 2));
  EXPECT_FALSE(std::equal(today.begin() + on * 2, today.begin() + off * 2, compared.begin() + on * 2));

  // Inside, after the crossfade: the input times one gain, the loudness change up to the switch.
  const std::optional<float> gain = oneGain(input.samples, compared, on + kFade, off);
  ASSERT_TRUE(gain) << "Bypass is not the input times one gain";
  const double expectedDb = loudness(today, on) - loudness(input.samples, on);
  EXPECT_GT(expectedDb, 1.0);  // the setting makes the signal louder
  EXPECT_NEAR(20 * std::log10(*gain), expectedDb, 0.1);

  // The crossfades join the two sides without a step of their own.
  std::vector<float> bypass(input.samples);
  for (float& s : bypass) s *= *gain;
  for (int64_t start : {on, off}) {
    const float own = std::max(largestStep(today, start - 1, start + kFade + 1), largestStep(bypass, start - 1, start + kFade + 1));
    EXPECT_LE(largestStep(compared, start - 1, start + kFade + 1), own * 1.01f) << "crossfade at frame " << start;
  }
}

TEST_F(CompareSessionTest, UnmatchedBypassIsTheInputBitForBit) {
  const std::vector<float> today = render("", "today");
  for (const auto& [script, extra] :
       {std::pair<std::string, std::vector<std::string>>{"4.0 compare on unmatched\n7.0 compare off\n", {}},
        {"4.0 compare on\n7.0 compare off\n", {"--compare-unmatched"}}}) {
    const std::vector<float> compared = render(script, "unmatched", extra);
    ASSERT_EQ(compared.size(), today.size());
    const int64_t on = firstBlockAtOrAfter(4.0, {input}, kBlock), off = firstBlockAtOrAfter(7.0, {input}, kBlock);
    EXPECT_TRUE(std::equal(input.samples.begin() + (on + kFade) * 2, input.samples.begin() + off * 2,
                           compared.begin() + (on + kFade) * 2))
        << script;
    EXPECT_TRUE(std::equal(today.begin() + (off + kFade) * 2, today.end(), compared.begin() + (off + kFade) * 2));
  }
}

// Under 3 s measured there is nothing to match: Bypass is the input at 0 dB.
TEST_F(CompareSessionTest, TooEarlyToMeasureBypassIsTheInputAtItsOwnLevel) {
  const std::vector<float> compared = render("1.0 compare on\n2.5 compare off\n", "early");
  const int64_t on = firstBlockAtOrAfter(1.0, {input}, kBlock), off = firstBlockAtOrAfter(2.5, {input}, kBlock);
  EXPECT_TRUE(std::equal(input.samples.begin() + (on + kFade) * 2, input.samples.begin() + off * 2,
                         compared.begin() + (on + kFade) * 2));
}

}  // namespace
