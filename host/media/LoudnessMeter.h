// Loudness of a stream of interleaved float frames (EBU R128 / ITU-R BS.1770, in LUFS): the
// integrated loudness over gated 400 ms blocks that overlap by 75 %, and the momentary (400 ms)
// and short-term (3 s) loudness at the latest block boundary (every 100 ms of audio).
//
// Every channel's K-weighting filter runs at once, two channels to a vector of doubles, in a loop
// without branches; the blocks are kept in a histogram. All memory is taken by the constructor:
// add() neither allocates nor waits, and memory stays the same for a stream of any length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/media/GatingHistogram.h"

namespace host {

class LoudnessMeter {
 public:
  static constexpr int kMaxChannels = 8;
  static constexpr int kMomentaryBlocks = 4;  // of 100 ms
  static constexpr int kShortTermBlocks = 30;

  // A channel count beyond kMaxChannels, or a sample rate the filter cannot be designed for,
  // gives a meter that measures nothing (every figure NaN).
  LoudnessMeter(int channels, double sampleRate);
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;

  void add(const float* frames, size_t count) noexcept;
  // a.add(x, count) and b.add(y, count), both meters' filters running in one loop: about the
  // cost of one when they share channel count, sample rate and the position within a 100 ms
  // block (two sides of one stream); otherwise one after the other. The figures are the same
  // to the bit either way.
  static void addBoth(LoudnessMeter& a, const float* x, LoudnessMeter& b, const float* y,
                      size_t count) noexcept;
  // Keeps the integrated figure and frees the histogram. Idempotent; add() then does nothing.
  void finish();

  // LUFS: -inf for silence; NaN when it cannot be told (before the first 400 ms block ends, or a
  // meter that measures nothing). Available at any time, finish()ed or not.
  double integrated() const noexcept;
  // Over the 400 ms and the 3 s up to the latest block boundary (what came before the stream
  // counts as silence); NaN for a meter that measures nothing.
  double momentary() const noexcept { return windowLoudness(kMomentaryBlocks); }
  double shortTerm() const noexcept { return windowLoudness(kShortTermBlocks); }

  // The energy a channel's mean square counts with in a stream of `channels` (in the usual
  // order of a WAV file: L R C LFE, then the surrounds): 1 at the front and the back, 1.41 at
  // the sides, 0 for the low-frequency channel.
  static double channelWeight(int channels, int channel) noexcept;

  // The filters' state: the lanes of the channels side by side, padded to an even count.
  struct Filter {
    double shelfB1, shelfB2, shelfA1, shelfA2;  // the shelf's numerator divided by its b0
    double highPassA1, highPassA2;
    alignas(16) double shelf1[kMaxChannels], shelf2[kMaxChannels];  // past internal values
    alignas(16) double pass1[kMaxChannels], pass2[kMaxChannels];
    alignas(16) double sumSquares[kMaxChannels];  // of the current 100 ms
  };

 private:
  using Kernel = void (*)(Filter&, const float*, size_t) noexcept;
  using PairKernel = void (*)(Filter&, const float*, Filter&, const float*, size_t) noexcept;

  void closeBlock() noexcept;
  bool measuresInStepWith(const LoudnessMeter& other) const noexcept;
  double windowLoudness(int blocks) const noexcept;

  Filter filter_{};
  Kernel kernel_ = nullptr;
  PairKernel pairKernel_ = nullptr;
  int channels_;
  double weights_[kMaxChannels] = {};  // with the shelf's gain squared folded in
  int64_t blockFrames_ = 1;            // 100 ms
  int64_t filled_ = 0;                 // of the current 100 ms
  double recent_[kShortTermBlocks] = {};  // energy of the latest 100 ms blocks, a ring
  int64_t closedBlocks_ = 0;
  GatingHistogram gating_;
  bool finished_ = false;
  double integrated_ = 0;
};

}  // namespace host
