#include "host/media/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "host/media/FlushToZeroScope.h"
#include "host/media/KWeighting.h"

namespace host {
namespace {

using Doubles2 = double __attribute__((vector_size(16)));

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Doubles2 splat(double v) noexcept { return Doubles2{v, v}; }

Doubles2 load(const double* p) noexcept {
  Doubles2 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void store(double* p, Doubles2 v) noexcept { std::memcpy(p, &v, sizeof v); }

// Two channels' filters, held in registers while a run of frames goes through.
struct Lanes {
  Doubles2 shelf1, shelf2, pass1, pass2, sum;
};

// Channels `2 * group` and the one after it (zero past the last channel) of the frame at `x`.
template <int Channels, int Group>
Doubles2 inputOf(const float* x) noexcept {
  if constexpr (2 * Group + 1 < Channels)
    return Doubles2{double(x[2 * Group]), double(x[2 * Group + 1])};
  else
    return Doubles2{double(x[2 * Group]), 0.0};
}

// Both filters in direct form II. The shelf's output is left divided by its b0 (its square is
// folded into the channel weights), and the high pass's numerator (1 - z^-1)^2 is two
// differences. Each recursion is ordered so that only one multiply and one subtraction wait for
// the previous frame. With two streams (`Streams` filters, one input each) their recursions run
// side by side in one loop, so one waits while the other computes; every lane does the same
// arithmetic either way.
template <int Channels, int Streams, size_t... Group>
void filterFrames(LoudnessMeter::Filter* const* filters, const float* const* inputs, size_t frames,
                  std::index_sequence<Group...>) noexcept {
  const LoudnessMeter::Filter& c = *filters[0];  // every stream's coefficients are the same
  const Doubles2 b1 = splat(c.shelfB1), b2 = splat(c.shelfB2), a1 = splat(c.shelfA1),
                 a2 = splat(c.shelfA2), p1 = splat(c.highPassA1), p2 = splat(c.highPassA2);
  constexpr size_t kGroups = sizeof...(Group);
  Lanes lanes[Streams][kGroups];
  const float* x[Streams];
  for (int s = 0; s < Streams; ++s) {
    const LoudnessMeter::Filter& f = *filters[s];
    x[s] = inputs[s];
    for (size_t g = 0; g < kGroups; ++g)
      lanes[s][g] = {load(f.shelf1 + 2 * g), load(f.shelf2 + 2 * g), load(f.pass1 + 2 * g),
                     load(f.pass2 + 2 * g), load(f.sumSquares + 2 * g)};
  }
  auto step = [&](Lanes& l, Doubles2 in) {
    const Doubles2 v = (in - a2 * l.shelf2) - a1 * l.shelf1;
    const Doubles2 u = v + (b1 * l.shelf1 + b2 * l.shelf2);
    const Doubles2 w = (u - p2 * l.pass2) - p1 * l.pass1;
    const Doubles2 y = (w + l.pass2) - (l.pass1 + l.pass1);
    l.sum += y * y;
    l.shelf2 = l.shelf1;
    l.shelf1 = v;
    l.pass2 = l.pass1;
    l.pass1 = w;
  };
  for (size_t i = 0; i < frames; ++i) {
    (step(lanes[0][Group], inputOf<Channels, Group>(x[0])), ...);
    if constexpr (Streams > 1) (step(lanes[1][Group], inputOf<Channels, Group>(x[1])), ...);
    for (int s = 0; s < Streams; ++s) x[s] += Channels;
  }
  for (int s = 0; s < Streams; ++s) {
    LoudnessMeter::Filter& f = *filters[s];
    for (size_t g = 0; g < kGroups; ++g) {
      store(f.shelf1 + 2 * g, lanes[s][g].shelf1);
      store(f.shelf2 + 2 * g, lanes[s][g].shelf2);
      store(f.pass1 + 2 * g, lanes[s][g].pass1);
      store(f.pass2 + 2 * g, lanes[s][g].pass2);
      store(f.sumSquares + 2 * g, lanes[s][g].sum);
    }
  }
}

template <int Channels>
void filterFramesOf(LoudnessMeter::Filter& f, const float* x, size_t frames) noexcept {
  LoudnessMeter::Filter* const filters[] = {&f};
  const float* const inputs[] = {x};
  filterFrames<Channels, 1>(filters, inputs, frames,
                            std::make_index_sequence<(Channels + 1) / 2>());
}

template <int Channels>
void filterFramePairsOf(LoudnessMeter::Filter& f, const float* x, LoudnessMeter::Filter& g,
                        const float* y, size_t frames) noexcept {
  LoudnessMeter::Filter* const filters[] = {&f, &g};
  const float* const inputs[] = {x, y};
  filterFrames<Channels, 2>(filters, inputs, frames,
                            std::make_index_sequence<(Channels + 1) / 2>());
}

// The same pair of streams for one or two channels, four lanes to a 256-bit vector (first
// stream's channels, then the second's), where the processor has AVX2: one loop as long as one
// meter's. Without fused multiply-add the lanes round exactly as the two-lane loop rounds.
template <int Channels>
__attribute__((target("avx2"))) void filterFramePairsWide(LoudnessMeter::Filter& f,
                                                          const float* x,
                                                          LoudnessMeter::Filter& g,
                                                          const float* y, size_t frames) noexcept {
  using Doubles4 = double __attribute__((vector_size(32)));
  static_assert(Channels == 1 || Channels == 2);
  const Doubles4 b1 = {f.shelfB1, f.shelfB1, f.shelfB1, f.shelfB1},
                 b2 = {f.shelfB2, f.shelfB2, f.shelfB2, f.shelfB2},
                 a1 = {f.shelfA1, f.shelfA1, f.shelfA1, f.shelfA1},
                 a2 = {f.shelfA2, f.shelfA2, f.shelfA2, f.shelfA2},
                 p1 = {f.highPassA1, f.highPassA1, f.highPassA1, f.highPassA1},
                 p2 = {f.highPassA2, f.highPassA2, f.highPassA2, f.highPassA2};
  Doubles4 shelf1 = {f.shelf1[0], f.shelf1[1], g.shelf1[0], g.shelf1[1]};
  Doubles4 shelf2 = {f.shelf2[0], f.shelf2[1], g.shelf2[0], g.shelf2[1]};
  Doubles4 pass1 = {f.pass1[0], f.pass1[1], g.pass1[0], g.pass1[1]};
  Doubles4 pass2 = {f.pass2[0], f.pass2[1], g.pass2[0], g.pass2[1]};
  Doubles4 sum = {f.sumSquares[0], f.sumSquares[1], g.sumSquares[0], g.sumSquares[1]};
  for (size_t i = 0; i < frames; ++i, x += Channels, y += Channels) {
    Doubles4 in;
    if constexpr (Channels == 2)
      in = Doubles4{double(x[0]), double(x[1]), double(y[0]), double(y[1])};
    else
      in = Doubles4{double(x[0]), 0.0, double(y[0]), 0.0};
    const Doubles4 v = (in - a2 * shelf2) - a1 * shelf1;
    const Doubles4 u = v + (b1 * shelf1 + b2 * shelf2);
    const Doubles4 w = (u - p2 * pass2) - p1 * pass1;
    const Doubles4 out = (w + pass2) - (pass1 + pass1);
    sum += out * out;
    shelf2 = shelf1;
    shelf1 = v;
    pass2 = pass1;
    pass1 = w;
  }
  for (int lane = 0; lane < 2; ++lane) {
    f.shelf1[lane] = shelf1[lane], g.shelf1[lane] = shelf1[lane + 2];
    f.shelf2[lane] = shelf2[lane], g.shelf2[lane] = shelf2[lane + 2];
    f.pass1[lane] = pass1[lane], g.pass1[lane] = pass1[lane + 2];
    f.pass2[lane] = pass2[lane], g.pass2[lane] = pass2[lane + 2];
    f.sumSquares[lane] = sum[lane], g.sumSquares[lane] = sum[lane + 2];
  }
}

}  // namespace

double LoudnessMeter::channelWeight(int channels, int channel) noexcept {
  constexpr double side = 1.41;
  // Front and centre 1, the low-frequency channel 0; the surrounds of 5.1 (beside the listener)
  // and the sides of 6.1 and 7.1 `side`; the backs of 6.1 and 7.1 (behind) 1.
  static constexpr double kWeights[kMaxChannels][kMaxChannels] = {
      {1},
      {1, 1},
      {1, 1, 1},
      {1, 1, side, side},
      {1, 1, 1, side, side},
      {1, 1, 1, 0, side, side},
      {1, 1, 1, 0, 1, side, side},
      {1, 1, 1, 0, 1, 1, side, side},
  };
  if (channels < 1 || channels > kMaxChannels || channel < 0 || channel >= channels) return 0;
  return kWeights[channels - 1][channel];
}

LoudnessMeter::LoudnessMeter(int channels, double sampleRate) : channels_(channels) {
  if (channels < 1 || channels > kMaxChannels || !kWeightingSupportsRate(sampleRate)) return;
  static constexpr Kernel kKernels[kMaxChannels] = {
      filterFramesOf<1>, filterFramesOf<2>, filterFramesOf<3>, filterFramesOf<4>,
      filterFramesOf<5>, filterFramesOf<6>, filterFramesOf<7>, filterFramesOf<8>};
  // Beyond two channels the two streams' filters no longer fit the registers together.
  static constexpr PairKernel kPairKernels[kMaxChannels] = {filterFramePairsOf<1>,
                                                            filterFramePairsOf<2>};
  static constexpr PairKernel kWidePairKernels[kMaxChannels] = {filterFramePairsWide<1>,
                                                                filterFramePairsWide<2>};
  kernel_ = kKernels[channels - 1];
  pairKernel_ = __builtin_cpu_supports("avx2") ? kWidePairKernels[channels - 1]
                                               : kPairKernels[channels - 1];
  const BiquadCoefficients shelf = kWeightingShelf(sampleRate);
  const BiquadCoefficients pass = kWeightingHighPass(sampleRate);
  filter_.shelfB1 = shelf.b1 / shelf.b0;
  filter_.shelfB2 = shelf.b2 / shelf.b0;
  filter_.shelfA1 = shelf.a1;
  filter_.shelfA2 = shelf.a2;
  filter_.highPassA1 = pass.a1;
  filter_.highPassA2 = pass.a2;
  for (int c = 0; c < channels; ++c) weights_[c] = channelWeight(channels, c) * shelf.b0 * shelf.b0;
  blockFrames_ = std::max<int64_t>(1, (std::llround(sampleRate) + 5) / 10);
}

void LoudnessMeter::add(const float* frames, size_t count) noexcept {
  if (!kernel_ || finished_) return;
  // A filter ringing out into silence reaches subnormal numbers, which would slow it manyfold.
  FlushToZeroScope flushToZero;
  while (count > 0) {
    const size_t run = std::min(count, size_t(blockFrames_ - filled_));
    kernel_(filter_, frames, run);
    frames += run * size_t(channels_);
    count -= run;
    filled_ += int64_t(run);
    if (filled_ == blockFrames_) closeBlock();
  }
}

bool LoudnessMeter::measuresInStepWith(const LoudnessMeter& other) const noexcept {
  return pairKernel_ && other.pairKernel_ && !finished_ && !other.finished_ &&
         channels_ == other.channels_ && blockFrames_ == other.blockFrames_ &&
         filled_ == other.filled_ && filter_.shelfB1 == other.filter_.shelfB1 &&
         filter_.shelfB2 == other.filter_.shelfB2 && filter_.shelfA1 == other.filter_.shelfA1 &&
         filter_.shelfA2 == other.filter_.shelfA2 &&
         filter_.highPassA1 == other.filter_.highPassA1 &&
         filter_.highPassA2 == other.filter_.highPassA2;
}

void LoudnessMeter::addBoth(LoudnessMeter& a, const float* x, LoudnessMeter& b, const float* y,
                            size_t count) noexcept {
  if (!a.measuresInStepWith(b)) {
    a.add(x, count);
    b.add(y, count);
    return;
  }
  FlushToZeroScope flushToZero;
  const size_t channels = size_t(a.channels_);
  while (count > 0) {
    const size_t run = std::min(count, size_t(a.blockFrames_ - a.filled_));
    a.pairKernel_(a.filter_, x, b.filter_, y, run);
    x += run * channels;
    y += run * channels;
    count -= run;
    a.filled_ += int64_t(run);
    b.filled_ += int64_t(run);
    if (a.filled_ == a.blockFrames_) {
      a.closeBlock();
      b.closeBlock();
    }
  }
}

void LoudnessMeter::closeBlock() noexcept {
  double energy = 0;
  for (int c = 0; c < channels_; ++c) energy += weights_[c] * filter_.sumSquares[c];
  std::fill(std::begin(filter_.sumSquares), std::end(filter_.sumSquares), 0.0);
  filled_ = 0;
  recent_[closedBlocks_ % kShortTermBlocks] = energy;
  if (++closedBlocks_ >= kMomentaryBlocks) {
    double sum = 0;
    for (int64_t b = closedBlocks_ - kMomentaryBlocks; b < closedBlocks_; ++b)
      sum += recent_[b % kShortTermBlocks];
    gating_.add(sum / double(kMomentaryBlocks * blockFrames_));
  }
}

double LoudnessMeter::windowLoudness(int blocks) const noexcept {
  if (!kernel_) return kNaN;
  double sum = 0;
  for (int64_t b = std::max<int64_t>(0, closedBlocks_ - blocks); b < closedBlocks_; ++b)
    sum += recent_[b % kShortTermBlocks];
  return loudnessOfMeanSquare(sum / double(blocks * blockFrames_));
}

double LoudnessMeter::integrated() const noexcept {
  if (finished_) return integrated_;
  if (!kernel_ || closedBlocks_ < kMomentaryBlocks) return kNaN;
  return gating_.integrated();
}

void LoudnessMeter::finish() {
  if (finished_) return;
  integrated_ = integrated();
  finished_ = true;
  gating_.releaseMemory();
}

}  // namespace host
