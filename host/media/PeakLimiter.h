// A lookahead peak limiter for what goes to the speakers: the signal is delayed by the lookahead,
// and the gain starts to fall that long before a peak over the ceiling arrives, so the peak
// itself comes out at the ceiling and no sample goes over it. The gain then recovers with the
// release time. While nothing within the lookahead goes over the ceiling the gain is exactly 1
// and every sample comes out as it went in (only later by the lookahead).
//
// How the gain is found, per frame: the gain the loudest channel of the newest frame needs; the
// smallest of those over the lookahead plus one frames (a running minimum); that held minimum
// averaged over the lookahead (a box filter, so the gain moves in a ramp, not a step); and a
// release that lets it rise only slowly. Every held value in the box covers the frame leaving
// the delay, so their average is at most the gain that frame needs.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace host {

class PeakLimiter {
 public:
  static constexpr double kCeilingDb = -1.0;
  static constexpr double kLookaheadSeconds = 0.005;
  static constexpr double kReleaseSeconds = 0.100;

  // Main thread, while nothing processes: sizes the delay for this format, with room for any
  // rate up to `highestRate` as well, and starts from silence. Allocates.
  void configure(int channels, double sampleRate, double highestRate = 0);
  // Audio thread: starts again from silence at `sampleRate` (a lookahead longer than the room
  // configure() made is cut to it). Allocates nothing.
  void restart(double sampleRate) noexcept;
  int64_t latencyFrames() const { return lookahead_; }

  // Audio thread: `frames` interleaved frames in place, delayed by latencyFrames(). Allocates
  // nothing, takes no lock.
  void process(float* samples, int64_t frames) noexcept;

  // Any thread: the gain reduction of the last block, in dB (0 or negative), and how many frames
  // have come out reduced by more than 0.01 dB.
  double reductionDb() const noexcept { return reductionDb_.load(std::memory_order_relaxed); }
  int64_t framesLimited() const noexcept { return framesLimited_.load(std::memory_order_relaxed); }
  double sampleRate() const { return sampleRate_; }

 private:
  struct Held {
    int64_t frame;
    float gain;
  };

  int channels_ = 0;
  double sampleRate_ = 0;
  int64_t lookahead_ = 0;
  int64_t room_ = 0;          // the longest lookahead the buffers hold
  size_t ringSize_ = 0;       // of the running minimum's candidates: lookahead + 2
  float target_ = 1;         // the ceiling, a hair lower so rounding cannot take a sample over it
  double releaseCoef_ = 0;
  std::vector<float> delay_;  // lookahead frames, a ring (at the front of the room)
  std::vector<Held> minima_;  // the running minimum's candidates, a ring
  size_t minHead_ = 0, minCount_ = 0;
  std::vector<double> box_;   // the held minima of the lookahead, as reductions (1 - gain), a ring
  double boxSum_ = 0;
  int64_t boxBelowOne_ = 0;   // entries with a reduction: none means exactly no reduction
  int64_t frame_ = 0;         // frames taken in
  double gain_ = 1;
  std::atomic<double> reductionDb_{0};
  std::atomic<int64_t> framesLimited_{0};
};

}  // namespace host
