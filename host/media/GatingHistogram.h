// The gating blocks of an integrated loudness measure, kept in fixed memory however long the
// stream: each block's mean square lands in a bin 0.01 LU wide (from the absolute gate, -70 LUFS,
// to +80 LUFS; louder blocks share the top bin), which keeps the count and the exact sum of its
// blocks' mean squares. So the mean over the gated blocks is exact; only which blocks the relative
// gate lets through is decided per bin, that is to within 0.01 LU.
#pragma once

#include <cstdint>
#include <vector>

namespace host {

// Loudness in LUFS of a K-weighted, channel-weighted mean square, and back.
double loudnessOfMeanSquare(double meanSquare) noexcept;
double meanSquareOfLoudness(double lufs) noexcept;

class GatingHistogram {
 public:
  static constexpr double kAbsoluteGateLufs = -70.0;
  static constexpr double kRelativeGateLu = -10.0;
  static constexpr double kTopLufs = 80.0;
  static constexpr int kBinsPerLu = 100;

  GatingHistogram();  // all the memory it will use

  // One 400 ms block's mean square; below the absolute gate, or not a finite number (a block with
  // an infinite or NaN sample), it does not count.
  void add(double meanSquare) noexcept;
  // LUFS of the blocks that pass both gates; -inf when none passes the absolute one.
  double integrated() const noexcept;
  int64_t blocksAboveAbsoluteGate() const noexcept { return count_; }
  void releaseMemory();

 private:
  std::vector<uint32_t> counts_;
  std::vector<double> sums_;
  double absoluteGate_;  // as a mean square
  double sum_ = 0;       // over the blocks above the absolute gate
  int64_t count_ = 0;
};

}  // namespace host
