// Peak and RMS level of a stream of float samples, and how many samples lie beyond full scale
// (|x| > 1, which a fixed-point converter would clip). Cheap enough for the audio thread: no
// allocation, a few arithmetic operations per sample.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host {

class LevelMeter {
 public:
  void add(const float* samples, size_t count) noexcept;

  float peak() const noexcept { return peak_; }  // largest |x|
  double rms() const noexcept;                   // square root of the mean square; 0 for no samples
  int64_t beyondFullScale() const noexcept { return overs_; }
  int64_t samples() const noexcept { return count_; }

 private:
  float peak_ = 0;
  double sumSquares_ = 0;
  int64_t count_ = 0;
  int64_t overs_ = 0;
};

// Level in decibels relative to full scale; -inf for silence.
double toDecibels(double linear) noexcept;

}  // namespace host
