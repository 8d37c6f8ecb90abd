// The loudness meter against libebur128 (the reference) on the same signals: the EBU Tech 3341
// cases 1-5 and Tech 3342 cases 1-4 (sines and their level steps), pink noise in steps, at
// 44.1, 48 and 96 kHz, in mono, stereo and 5.1; the integrated loudness within 0.01 LU, the
// momentary and short-term loudness within 0.05 LU at every 100 ms boundary. Signals are made a
// block at a time and never stored whole, so a three-hour stream costs no memory.
#include <gtest/gtest.h>

#include <ebur128.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "host/media/KWeighting.h"
#include "host/media/LoudnessMeter.h"

namespace {

using host::LoudnessMeter;

// A stretch of a stepped signal: `seconds` long at `dbfs` peak level (sine) or RMS level (noise).
struct Step {
  double seconds, dbfs;
};

enum class Source { Sine1k, PinkNoise };

// Writes `frames` frames from frame `at` of a signal of `channels` channels into `out`.
using Generator = std::function<void(float* out, int64_t at, int64_t frames)>;

// Pink noise (three first-order stages over white noise, about -3 dB per octave), scaled to an
// RMS of 1 and carried from block to block.
class PinkNoise {
 public:
  explicit PinkNoise(uint32_t seed) : random_(seed) {}
  double next() {
    const double white = dist_(random_);
    b0_ = 0.99765 * b0_ + white * 0.0990460;
    b1_ = 0.96300 * b1_ + white * 0.2965164;
    b2_ = 0.57000 * b2_ + white * 1.0526913;
    return (b0_ + b1_ + b2_ + white * 0.1848) * 0.25;
  }

 private:
  std::mt19937 random_;
  std::normal_distribution<double> dist_{0.0, 1.0};
  double b0_ = 0, b1_ = 0, b2_ = 0;
};

// Each channel gets the signal at its own phase (or its own noise) and a level offset, so that
// weighting or mixing up channels shows; a low-frequency channel gets it too, to be ignored.
Generator stepped(Source source, std::vector<Step> steps, double rate, int channels) {
  auto noises = std::make_shared<std::vector<PinkNoise>>();
  for (int c = 0; c < channels; ++c) noises->emplace_back(uint32_t(17 + c));
  // Each step's level in each channel, worked out once.
  std::vector<std::vector<double>> levels;
  for (const Step& s : steps) {
    levels.emplace_back();
    for (int c = 0; c < channels; ++c)
      levels.back().push_back(std::pow(10.0, (s.dbfs - (channels > 2 ? 2.0 * c : 0.0)) / 20));
  }
  return [=](float* out, int64_t at, int64_t frames) {
    size_t step = 0;
    int64_t stepEnd = int64_t(steps[0].seconds * rate);
    for (int64_t i = 0; i < frames; ++i) {
      while (at + i >= stepEnd && step + 1 < steps.size()) stepEnd += int64_t(steps[++step].seconds * rate);
      const double t = double(at + i) / rate;
      for (int c = 0; c < channels; ++c) {
        const double x = source == Source::Sine1k ? std::sin(2 * M_PI * 1000 * t + 0.7 * c)
                                                  : (*noises)[size_t(c)].next();
        out[i * channels + c] = float(levels[step][size_t(c)] * x);
      }
    }
  };
}

ebur128_state* reference(int channels, double rate, int mode) {
  ebur128_state* st = ebur128_init(unsigned(channels), (unsigned long)rate, mode);
  for (int c = 0; c < channels; ++c) {
    const double w = LoudnessMeter::channelWeight(channels, c);
    ebur128_set_channel(st, unsigned(c),
                        w == 0 ? EBUR128_UNUSED : w > 1 ? EBUR128_LEFT_SURROUND : EBUR128_LEFT);
  }
  return st;
}

struct Compared {
  double ours, theirs;
};

// Feeds both meters `seconds` of the signal, 100 ms at a time, comparing the momentary and
// short-term loudness at every `checkEvery`-th boundary; returns both integrated figures.
Compared compare(const Generator& signal, double seconds, double rate, int channels,
                 const std::string& what, int checkEvery = 3) {
  LoudnessMeter ours(channels, rate);
  ebur128_state* theirs = reference(channels, rate, EBUR128_MODE_I | EBUR128_MODE_S);
  const int64_t block = (int64_t(std::llround(rate)) + 5) / 10;
  const int64_t total = int64_t(seconds * rate);
  std::vector<float> buffer(size_t(block * channels));
  int boundary = 0;
  for (int64_t at = 0; at < total; at += block) {
    const int64_t n = std::min(block, total - at);
    signal(buffer.data(), at, n);
    ours.add(buffer.data(), size_t(n));
    ebur128_add_frames_float(theirs, buffer.data(), size_t(n));
    if (n == block && ++boundary % checkEvery == 0) {
      double m = 0, s = 0;
      ebur128_loudness_momentary(theirs, &m);
      ebur128_loudness_shortterm(theirs, &s);
      if (m > -100) {
        EXPECT_NEAR(ours.momentary(), m, 0.05) << what << " at " << double(at) / rate << " s";
      }
      if (s > -100) {
        EXPECT_NEAR(ours.shortTerm(), s, 0.05) << what << " at " << double(at) / rate << " s";
      }
    }
  }
  double integrated = 0;
  EXPECT_EQ(ebur128_loudness_global(theirs, &integrated), EBUR128_SUCCESS);
  ebur128_destroy(&theirs);
  ours.finish();
  return {ours.integrated(), integrated};
}

struct Case {
  const char* name;
  Source source;
  std::vector<Step> steps;
  double expected;  // LUFS the documents give for stereo; NaN where they give none
};

const double kNone = std::numeric_limits<double>::quiet_NaN();

std::vector<Case> referenceCases() {
  return {
      {"3341 case 1", Source::Sine1k, {{20, -23}}, -23},
      {"3341 case 2", Source::Sine1k, {{20, -33}}, -33},
      {"3341 case 3", Source::Sine1k, {{10, -36}, {60, -23}, {10, -36}}, -23},
      {"3341 case 4", Source::Sine1k, {{10, -72}, {10, -36}, {60, -23}, {10, -36}, {10, -72}}, -23},
      {"3341 case 5", Source::Sine1k, {{20, -26}, {20.1, -20}, {20, -26}}, -23},
      {"3342 case 1", Source::Sine1k, {{20, -20}, {20, -30}}, kNone},
      {"3342 case 2", Source::Sine1k, {{20, -20}, {20, -15}}, kNone},
      {"3342 case 3", Source::Sine1k, {{20, -40}, {20, -20}}, kNone},
      {"3342 case 4", Source::Sine1k, {{20, -50}, {20, -35}, {20, -20}, {20, -35}, {20, -50}}, kNone},
      {"pink noise steps", Source::PinkNoise, {{10, -30}, {10, -18}, {5, -45}, {10, -24}}, kNone},
  };
}

double lengthOf(const Case& c) {
  double s = 0;
  for (const Step& step : c.steps) s += step.seconds;
  return s;
}

TEST(LoudnessMeter, MatchesTheReferenceOnTheEbuCasesInStereoAtEveryRate) {
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    for (const Case& c : referenceCases()) {
      const std::string what = std::string(c.name) + " at " + std::to_string(int(rate));
      const Compared r = compare(stepped(c.source, c.steps, rate, 2), lengthOf(c), rate, 2, what);
      EXPECT_NEAR(r.ours, r.theirs, 0.01) << what;
      if (!std::isnan(c.expected)) {
        EXPECT_NEAR(r.ours, c.expected, 0.1) << what;
      }
    }
  }
}

TEST(LoudnessMeter, MatchesTheReferenceInMonoAndSixChannels) {
  const std::vector<Case> cases = referenceCases();
  for (int channels : {1, 6}) {
    for (double rate : {44100.0, 96000.0}) {
      for (size_t i : {2u, 4u, 9u}) {  // cases with the gates at work, and noise
        const Case& c = cases[i];
        const std::string what =
            std::string(c.name) + ", " + std::to_string(channels) + " ch at " + std::to_string(int(rate));
        const Compared r =
            compare(stepped(c.source, c.steps, rate, channels), lengthOf(c), rate, channels, what, 7);
        EXPECT_NEAR(r.ours, r.theirs, 0.01) << what;
      }
    }
  }
}

TEST(LoudnessMeter, WeighsTheChannelsOfEveryLayoutUpToEight) {
  // The low-frequency channel alone is not heard; a side channel counts 1.41 times a front one.
  for (int channels = 1; channels <= LoudnessMeter::kMaxChannels; ++channels) {
    for (int only = 0; only < channels; ++only) {
      const Generator one = [&](float* out, int64_t at, int64_t frames) {
        for (int64_t i = 0; i < frames; ++i)
          for (int c = 0; c < channels; ++c)
            out[i * channels + c] = c == only ? float(0.1 * std::sin(0.13 * double(at + i))) : 0.0f;
      };
      const std::string what = std::to_string(channels) + " ch, channel " + std::to_string(only);
      const Compared r = compare(one, 1.0, 48000, channels, what, 1000);
      if (LoudnessMeter::channelWeight(channels, only) == 0) {
        EXPECT_EQ(r.ours, -HUGE_VAL) << what;
        EXPECT_EQ(r.theirs, -HUGE_VAL) << what;
      } else {
        EXPECT_NEAR(r.ours, r.theirs, 0.01) << what;
      }
    }
  }
  EXPECT_EQ(LoudnessMeter::channelWeight(6, 3), 0.0);
  EXPECT_EQ(LoudnessMeter::channelWeight(6, 4), 1.41);
  EXPECT_EQ(LoudnessMeter::channelWeight(8, 4), 1.0);
  EXPECT_EQ(LoudnessMeter::channelWeight(8, 7), 1.41);
}

TEST(LoudnessMeter, FiguresAtTheEdges) {
  const Generator sine = stepped(Source::Sine1k, {{100, -23}}, 48000, 2);
  std::vector<float> buffer(48000 * 2);
  sine(buffer.data(), 0, 48000);
  // Shorter than one 400 ms block: no figure, but momentary loudness counts the rest as silence.
  LoudnessMeter shortOne(2, 48000);
  shortOne.add(buffer.data(), 19199);
  EXPECT_TRUE(std::isnan(shortOne.integrated()));
  shortOne.finish();
  EXPECT_TRUE(std::isnan(shortOne.integrated()));
  // Exactly one block: the block's own loudness.
  LoudnessMeter single(2, 48000);
  single.add(buffer.data(), 19200);
  EXPECT_NEAR(single.integrated(), -23.0, 0.02);
  EXPECT_NEAR(single.momentary(), single.integrated(), 1e-9);
  EXPECT_NEAR(single.shortTerm(), -23.0 + 10 * std::log10(4.0 / 30), 0.02);
  // Silence is -inf everywhere, and stays so through finish().
  LoudnessMeter silent(2, 48000);
  std::vector<float> zeros(buffer.size(), 0.0f);
  silent.add(zeros.data(), 48000);
  EXPECT_EQ(silent.integrated(), -HUGE_VAL);
  EXPECT_EQ(silent.momentary(), -HUGE_VAL);
  silent.finish();
  silent.finish();
  EXPECT_EQ(silent.integrated(), -HUGE_VAL);
  // Frames added in odd pieces read the same as in 100 ms blocks.
  LoudnessMeter pieces(2, 48000), whole(2, 48000);
  for (size_t at = 0; at < 48000;) {
    const size_t n = std::min<size_t>(48000 - at, 1 + at % 3001);
    pieces.add(buffer.data() + 2 * at, n);
    at += n;
  }
  whole.add(buffer.data(), 48000);
  EXPECT_EQ(pieces.integrated(), whole.integrated());
  EXPECT_EQ(pieces.shortTerm(), whole.shortTerm());
  // What the meter cannot measure says so rather than give a wrong figure.
  for (LoudnessMeter* none : {new LoudnessMeter(9, 48000), new LoudnessMeter(2, 3000)}) {
    none->add(buffer.data(), 4000);
    EXPECT_TRUE(std::isnan(none->integrated()));
    EXPECT_TRUE(std::isnan(none->momentary()));
    delete none;
  }
}

TEST(LoudnessMeter, AnInfiniteOrNanSampleGatesOutItsBlocksOnly) {
  const Generator sine = stepped(Source::Sine1k, {{100, -23}}, 48000, 1);
  std::vector<float> buffer(48000 * 3);
  sine(buffer.data(), 0, int64_t(buffer.size()));
  LoudnessMeter meter(1, 48000);
  meter.add(buffer.data(), buffer.size());
  const float bad[] = {std::numeric_limits<float>::infinity()};
  meter.add(bad, 1);
  EXPECT_NEAR(meter.integrated(), -23.0 - 3.01, 0.02);  // a sine's RMS in one channel
}

TEST(LoudnessMeter, DesignsTheTabulatedFiltersAt48kHz) {
  const host::BiquadCoefficients shelf = host::kWeightingShelf(48000);
  EXPECT_NEAR(shelf.b0, 1.53512485958697, 1e-12);
  EXPECT_NEAR(shelf.b1, -2.69169618940638, 1e-12);
  EXPECT_NEAR(shelf.b2, 1.19839281085285, 1e-12);
  EXPECT_NEAR(shelf.a1, -1.69065929318241, 1e-12);
  EXPECT_NEAR(shelf.a2, 0.73248077421585, 1e-12);
  const host::BiquadCoefficients pass = host::kWeightingHighPass(48000);
  EXPECT_NEAR(pass.a1, -1.99004745483398, 1e-12);
  EXPECT_NEAR(pass.a2, 0.99007225036621, 1e-12);
}

// Three hours of mono at 8 kHz whose level changes every 90 s over 40 dB: the histogram's figure
// against the reference's exact one, block by block, without storing the signal.
TEST(LoudnessMeter, AThreeHourStreamInBoundedMemoryMatchesTheExactReference) {
  constexpr double rate = 8000;
  std::vector<double> levels;
  for (int i = 0; i < 120; ++i) levels.push_back(std::pow(10.0, (-45 + double((i * 37) % 41)) / 20));
  const Generator signal = [&](float* out, int64_t at, int64_t frames) {
    for (int64_t i = 0; i < frames; ++i) {
      const int64_t n = at + i;
      out[i] = float(levels[size_t(n / int64_t(90 * rate))] *
                     std::sin(2 * M_PI * 997 / rate * double(n % 8000)));
    }
  };
  const Compared r = compare(signal, 3 * 3600, rate, 1, "three hours", 997);
  EXPECT_NEAR(r.ours, r.theirs, 0.01);
}

}  // namespace
