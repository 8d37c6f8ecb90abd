// Peak and RMS level of a stream of float samples, the RMS level of its bass band, and how many
// samples lie beyond full scale (|x| > 1, which a fixed-point converter would clip). Blocks are
// measured with every accumulator held in a register: well under a nanosecond per sample, no
// allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

// Upper edge of the band the bass level is measured in.
constexpr double kBassBandHz = 150.0;

class LevelMeter {
 public:
  // Samples arrive with `channels` interleaved at `sampleRate`; without a rate there is no bass
  // band measure.
  explicit LevelMeter(int channels = 1, double sampleRate = 0);

  void add(const float* samples, size_t count) noexcept;
  // a.add(x, count) and b.add(y, count), to the bit: two stereo meters at the same rate run
  // side by side in one 256-bit loop where the processor has AVX2 (a track's input and output
  // are measured together, in half the time).
  static void addBoth(LevelMeter& a, const float* x, LevelMeter& b, const float* y,
                      size_t count) noexcept;

  float peak() const noexcept { return peak_; }  // largest |x|
  double rms() const noexcept;                   // square root of the mean square; 0 for no samples
  int64_t beyondFullScale() const noexcept { return overs_; }
  int64_t samples() const noexcept { return count_; }
  // RMS level of the samples through a one-pole low pass at kBassBandHz, each channel on its own.
  double bassRms() const noexcept;

 private:
  void addStereoFrames(const float* frames, size_t count) noexcept;
  static void addStereoFramePairs(LevelMeter& a, const float* x, LevelMeter& b, const float* y,
                                  size_t frames) noexcept;
  void addChannelFrames(const float* frames, size_t count, size_t channel) noexcept;
  void addSample(float x) noexcept;

  std::vector<double> lowPass_;  // one state per channel
  double lowPassStep_ = 0;       // low pass: y = keep * y + step * x
  double bassSumSquares_ = 0;
  size_t channel_ = 0;           // of the next sample
  float peak_ = 0;
  double sumSquares_ = 0;
  int64_t count_ = 0;
  int64_t overs_ = 0;
};

// Level in decibels relative to full scale; -inf for silence.
double toDecibels(double linear) noexcept;

}  // namespace host
