// The curve `tunely curve` computes is what the player does to sound: a multitone at the curve's
// third-octave points from 20 Hz to 0.9 x Nyquist is played through the real `tunely play`
// pipeline (the installed Lowtide.dylib, its tap, offline rendering) in mono and in stereo,
// while the last state and a script take the equalizer through every filter type with and
// without the bass stage, the bass stage alone and both stages off. Each tone's level is
// measured from the rendered file, after the chain has settled, by a least-squares fit of
// sinusoids at the known frequencies (exact in steady state: no leakage between tones), and
// compared with the curve's CSV for the same settings, rate and channels: within 0.1 dB, for the
// centred signal and, in stereo, for the crosstalk from the right channel into the left.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <random>
#include <sstream>

#include "CommandHarness.h"

namespace {

using host::DecodedAudio;
using namespace tunely_test;
using Complex = std::complex<double>;

constexpr double kToleranceDb = 0.1;
constexpr double kToneAmplitude = 0.01;  // thirty tones stay well below full scale after +8 dB
constexpr double kSettleSeconds = 0.25;
constexpr double kStageSeconds = 1.5;    // stereo: a centred half, then the right channel alone
constexpr double kFirstStage = 2.0;      // the last state's load

// One setting of the session: what brings it and how `tunely curve` is told of it.
struct Stage {
  const char* name;
  const char* steps;  // script steps at the stage's start ("" for the last state's load)
  std::vector<std::string> curveOptions;
};

const std::map<std::string, std::string> kLastState{
    {"filtgain", "6.000000"},  {"filtfreq", "1000.000000"}, {"filtbw", "1.500000"}, {"filttype", "0"},
    {"bassgain", "0.700000"}, {"bassfreq", "30.000000"},   {"bassintens", "2.500000"}};

std::vector<std::string> values(const char* type, std::initializer_list<const char*> switches = {}) {
  std::vector<std::string> v{"--filtgain", "6",        "--filtfreq", "1000", "--filtbw",     "1.5", "--filttype", type,
                             "--bassgain", "0.7",      "--bassfreq", "30",   "--bassintens", "2.5"};
  v.insert(v.end(), switches.begin(), switches.end());
  return v;
}

// Before 2 s both stages are off (the first preparation's kernel, the switches being off); the
// last state then puts a low pass with the bass boost in force; the panel does the rest.
const std::vector<Stage> kStages{
    {"both stages off", "", {"--no-filter", "--no-bass"}},
    {"low pass + bass", "", {"--last-state"}},
    {"low pass", "switch bassSwitch off", values("0", {"--no-bass"})},
    {"high pass", "segment typeControl 1", values("1", {"--no-bass"})},
    {"high shelf", "segment typeControl 2", values("2", {"--no-bass"})},
    {"high shelf + bass", "switch bassSwitch on", values("2")},
    {"high pass + bass", "segment typeControl 1", values("1")},
    {"bass alone", "switch powerSwitch off", values("1", {"--no-filter"})},
};

double stageStart(size_t stage) { return stage == 0 ? 0 : kFirstStage + double(stage - 1) * kStageSeconds; }

struct CurveRow {
  double frequency, level;
  std::optional<double> crosstalk;
};

std::vector<CurveRow> readCurveCsv(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line.rfind("# peak_level_db=", 0), 0u) << line;
  std::getline(in, line);
  EXPECT_EQ(line, "frequency_hz,level_db,crosstalk_db");
  std::vector<CurveRow> rows;
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    std::string f, level, crosstalk;
    std::getline(fields, f, ',');
    std::getline(fields, level, ',');
    std::getline(fields, crosstalk);
    rows.push_back({std::stod(f), std::stod(level), crosstalk.empty() ? std::nullopt : std::optional(std::stod(crosstalk))});
  }
  return rows;
}

// The complex amplitudes A_k of y[n] = sum_k Re(A_k e^{j w_k n}) + error, by least squares over
// `length` samples: the Gram matrix of the cosines and sines is factored once (Cholesky) and
// serves every stretch of the same length.
class SineFit {
 public:
  SineFit(const std::vector<double>& frequencies, double rate, size_t length) : tones_(frequencies.size()), length_(length) {
    const size_t n = 2 * tones_;
    basis_.assign(n, std::vector<double>(length));
    for (size_t k = 0; k < tones_; ++k)
      for (size_t i = 0; i < length; ++i) {
        const double phase = 2 * M_PI * frequencies[k] * double(i) / rate;
        basis_[2 * k][i] = std::cos(phase);
        basis_[2 * k + 1][i] = std::sin(phase);
      }
    factor_.assign(n * n, 0.0);
    for (size_t r = 0; r < n; ++r)
      for (size_t c = 0; c <= r; ++c) {
        double sum = 0;
        for (size_t i = 0; i < length; ++i) sum += basis_[r][i] * basis_[c][i];
        for (size_t k = 0; k < c; ++k) sum -= factor_[r * n + k] * factor_[c * n + k];
        factor_[r * n + c] = r == c ? std::sqrt(sum) : sum / factor_[c * n + c];
      }
  }

  // Samples start[0], start[stride], start[2 stride], ...
  std::vector<Complex> amplitudes(const float* start, size_t stride) const {
    const size_t n = 2 * tones_;
    std::vector<double> x(n);
    for (size_t r = 0; r < n; ++r) {
      double sum = 0;
      for (size_t i = 0; i < length_; ++i) sum += basis_[r][i] * double(start[i * stride]);
      x[r] = sum;
    }
    for (size_t r = 0; r < n; ++r) {  // L y = b, then L^T x = y
      for (size_t k = 0; k < r; ++k) x[r] -= factor_[r * n + k] * x[k];
      x[r] /= factor_[r * n + r];
    }
    for (size_t r = n; r-- > 0;) {
      for (size_t k = r + 1; k < n; ++k) x[r] -= factor_[k * n + r] * x[k];
      x[r] /= factor_[r * n + r];
    }
    std::vector<Complex> a(tones_);
    for (size_t k = 0; k < tones_; ++k) a[k] = Complex(x[2 * k], -x[2 * k + 1]);
    return a;
  }

 private:
  size_t tones_, length_;
  std::vector<std::vector<double>> basis_;
  std::vector<double> factor_;
};

class CurveMeasurementTest : public ::testing::TestWithParam<std::pair<double, int>> {
 protected:
  std::string folder() const { return temp_.path(); }
  std::string root() const { return temp_.file("device"); }
  std::string file(const std::string& name) const { return temp_.file(name); }

  std::vector<CurveRow> curve(const Stage& stage, double rate, int channels) {
    std::vector<std::string> args{"curve", "--device-root", root(), "--rate", std::to_string(int(rate)),
                                  "--channels", std::to_string(channels), "--points-per-octave", "3",
                                  "-o", file("curve.csv")};
    args.insert(args.end(), stage.curveOptions.begin(), stage.curveOptions.end());
    const CommandResult r = runTunely(args, temp_.path());
    EXPECT_EQ(r.status, 0) << stage.name << ": " << r.output;
    return readCurveCsv(file("curve.csv"));
  }

 private:
  TempFolder temp_;
};

TEST_P(CurveMeasurementTest, TheCurveAgreesWithTheLevelsMeasuredFromThePlayersOutput) {
  const auto [rate, channels] = GetParam();
  const double seconds = stageStart(kStages.size());
  const auto frames = int64_t(std::llround(seconds * rate));
  const int64_t blockFrames = 4096;
  // Each stage starts at the first block at or after its time, where its steps take effect.
  std::vector<int64_t> boundaries;
  for (size_t s = 0; s < kStages.size(); ++s)
    boundaries.push_back(firstBlockAtOrAfter(stageStart(s), {DecodedAudio{rate, channels, frames, {}}}, blockFrames));
  boundaries.push_back(frames);
  const auto stageFrame = [&](size_t s) { return boundaries[s]; };

  // The curves, and the tones at their points up to 0.9 x Nyquist.
  writeLastState(root(), kLastState);
  std::vector<std::vector<CurveRow>> curves;
  for (const Stage& s : kStages) curves.push_back(curve(s, rate, channels));
  std::vector<double> tones;
  for (const CurveRow& row : curves[0])
    if (row.frequency <= 0.9 * rate / 2) tones.push_back(row.frequency);
  ASSERT_GE(tones.size(), 30u);
  for (const CurveRow& row : curves[0]) EXPECT_TRUE(row.level == 0 && !row.crosstalk) << "both stages off: flat, no crosstalk";

  // The multitone; in stereo, centred for the first half of each stage, then in the right channel alone.
  std::mt19937 random(7);
  std::vector<double> phases(tones.size());
  for (double& p : phases) p = std::uniform_real_distribution<double>(0, 2 * M_PI)(random);
  DecodedAudio in{rate, channels, frames, std::vector<float>(size_t(frames) * size_t(channels))};
  size_t stage = 0;
  for (int64_t n = 0; n < frames; ++n) {
    while (n >= stageFrame(stage + 1)) ++stage;
    double x = 0;
    for (size_t k = 0; k < tones.size(); ++k) x += kToneAmplitude * std::sin(2 * M_PI * tones[k] * double(n) / rate + phases[k]);
    const bool rightAlone = channels == 2 && n >= (stageFrame(stage) + stageFrame(stage + 1)) / 2;
    for (int c = 0; c < channels; ++c) in.samples[size_t(n) * size_t(channels) + size_t(c)] = rightAlone && c == 0 ? 0.0f : float(x);
  }
  writeFloatWav(file("in.wav"), in);

  std::string script = "2.1 tap eq-button\n";
  for (size_t s = 2; s < kStages.size(); ++s) script += std::to_string(stageStart(s)) + " " + kStages[s].steps + "\n";
  std::ofstream(file("session.script")) << script;
  const CommandResult r = runTunely({"play", "--device-root", root(), file("in.wav"), "--output", file("out.wav"),
                                     "--script", file("session.script")},
                                    folder());
  ASSERT_EQ(r.status, 0) << r.output;
  const DecodedAudio out = readWav(file("out.wav"));
  ASSERT_EQ(out.samples.size(), in.samples.size());
  float peak = 0;
  for (float v : out.samples) peak = std::max(peak, std::fabs(v));
  EXPECT_LT(peak, 1.0f) << "the output would clip in a fixed-point file";

  // Both stages off: the stream passes unchanged, nothing of the right reaches the left.
  const auto firstFiltered = size_t(stageFrame(1)) * size_t(channels);
  EXPECT_TRUE(std::equal(in.samples.begin(), in.samples.begin() + firstFiltered, out.samples.begin()));

  const auto settle = size_t(kSettleSeconds * rate);
  const auto window = size_t((kStageSeconds / (channels == 2 ? 2 : 1) - kSettleSeconds) * rate) - blockFrames;
  const SineFit fit(tones, rate, window);
  const auto levels = [&](const DecodedAudio& a, int64_t frame, int channel) {
    return fit.amplitudes(&a.samples[size_t(frame) * size_t(channels) + size_t(channel)], size_t(channels));
  };
  for (size_t s = 1; s < kStages.size(); ++s) {
    const int64_t start = stageFrame(s) + int64_t(settle);
    const std::vector<Complex> centredIn = levels(in, start, 0), centredOut = levels(out, start, 0);
    for (size_t k = 0; k < tones.size(); ++k)
      EXPECT_NEAR(20 * std::log10(std::abs(centredOut[k] / centredIn[k])), curves[s][k].level, kToleranceDb)
          << kStages[s].name << " at " << tones[k] << " Hz, " << channels << " channel(s)";
    if (channels == 1) continue;
    const int64_t alone = (stageFrame(s) + stageFrame(s + 1)) / 2 + int64_t(settle);
    const std::vector<Complex> rightIn = levels(in, alone, 1), leftOut = levels(out, alone, 0);
    for (size_t k = 0; k < tones.size(); ++k) {
      ASSERT_TRUE(curves[s][k].crosstalk) << kStages[s].name << " at " << tones[k] << " Hz";
      EXPECT_NEAR(20 * std::log10(std::abs(leftOut[k] / rightIn[k])), *curves[s][k].crosstalk, kToleranceDb)
          << kStages[s].name << ": crosstalk at " << tones[k] << " Hz";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, CurveMeasurementTest,
                         ::testing::Values(std::pair{44100.0, 1}, std::pair{48000.0, 2}),
                         [](const auto& info) { return info.param.second == 1 ? std::string("Mono") : std::string("Stereo"); });

}  // namespace
