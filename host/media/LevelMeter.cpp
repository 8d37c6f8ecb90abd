#include "host/media/LevelMeter.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace host {

LevelMeter::LevelMeter(int channels, double sampleRate)
    : lowPass_(size_t(channels > 0 ? channels : 1), 0.0),
      lowPassStep_(sampleRate > 0 ? 1.0 - std::exp(-2.0 * M_PI * kBassBandHz / sampleRate) : 0.0) {}

void LevelMeter::addSample(float x) noexcept {
  const float a = std::fabs(x);
  if (a > peak_) peak_ = a;
  if (a > 1.0f) ++overs_;
  sumSquares_ += double(x) * x;
  double& low = lowPass_[channel_];
  low = (1.0 - lowPassStep_) * low + lowPassStep_ * x;
  bassSumSquares_ += low * low;
  if (++channel_ == lowPass_.size()) channel_ = 0;
}

// Whole frames, four at a time. The low pass is a recursion, so its chain of dependent operations
// would set the pace: each group of four frames goes from the state before it to the state after
// it in one step (keep^4 * y plus the inputs' share), and the three states in between hang off
// that chain instead of lengthening it. Stereo keeps both channels side by side in one vector.
namespace {

using Doubles2 = double __attribute__((vector_size(16)));
using Floats2 = float __attribute__((vector_size(8)));
using Floats4 = float __attribute__((vector_size(16)));
using Ints4 = int32_t __attribute__((vector_size(16)));

Floats4 load4(const float* p) noexcept {
  Floats4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

Doubles2 widen(Floats2 v) noexcept { return __builtin_convertvector(v, Doubles2); }

// The low pass's constants, one per lane.
template <class Doubles>
struct LowPassSteps {
  Doubles step, keep, keep2, keep3, keep4;
  explicit LowPassSteps(double step1) {
    for (size_t lane = 0; lane < sizeof(Doubles) / sizeof(double); ++lane)
      step[lane] = step1, keep[lane] = 1.0 - step1;
    keep2 = keep * keep, keep3 = keep2 * keep, keep4 = keep2 * keep2;
  }
};

// Four frames' squares, low pass and bass squares, lane by lane: the one place this arithmetic is
// written, so that every loop that runs it rounds alike.
// Always inlined, and given its vectors by reference: the paired loop is compiled for AVX2, this
// function for the plain target.
template <class Doubles>
__attribute__((always_inline)) inline void addFourFrames(const LowPassSteps<Doubles>& k,
                                                         const Doubles& x0, const Doubles& x1,
                                                         const Doubles& x2, const Doubles& x3,
                                                         Doubles& y, Doubles& sum,
                                                         Doubles& bass) noexcept {
  sum += (x0 * x0 + x1 * x1) + (x2 * x2 + x3 * x3);
  const Doubles u0 = k.step * x0;
  const Doubles u1 = k.keep * u0 + k.step * x1;
  const Doubles u2 = k.keep * u1 + k.step * x2;
  const Doubles u3 = k.keep * u2 + k.step * x3;
  const Doubles y0 = k.keep * y + u0, y1 = k.keep2 * y + u1, y2 = k.keep3 * y + u2;
  y = k.keep4 * y + u3;
  bass += (y0 * y0 + y1 * y1) + (y2 * y2 + y * y);
}

// The largest magnitude and the count of samples beyond full scale, lane by lane, folded into a
// meter's at the end (a largest value is the same whichever lane saw it).
template <class Floats, class Ints>
struct PeaksAndOvers {
  static constexpr size_t kLanes = sizeof(Floats) / sizeof(float);
  Floats peak;
  Ints overs = {};
  explicit PeaksAndOvers(float start) {
    for (size_t lane = 0; lane < kLanes; ++lane) peak[lane] = start;
  }
  __attribute__((always_inline)) inline void see(const Floats& f) noexcept {
    const Floats magnitude = Floats(Ints(f) & 0x7fffffff);
    peak = magnitude > peak ? magnitude : peak;
    overs -= magnitude > 1.0f;  // a true comparison is -1
  }
  void foldInto(float& meterPeak, int64_t& meterOvers) const noexcept {
    for (size_t lane = 0; lane < kLanes; ++lane) {
      meterPeak = peak[lane] > meterPeak ? peak[lane] : meterPeak;
      meterOvers += overs[lane];
    }
  }
};

}  // namespace

void LevelMeter::addStereoFrames(const float* s, size_t frames) noexcept {
  const LowPassSteps<Doubles2> steps(lowPassStep_);
  Doubles2 y = {lowPass_[0], lowPass_[1]}, sum = {0, 0}, bass = {0, 0};
  PeaksAndOvers<Floats4, Ints4> peaks(peak_);
  size_t i = 0;
  for (; i + 4 <= frames; i += 4, s += 8) {
    const Floats4 f01 = load4(s), f23 = load4(s + 4);
    peaks.see(f01);
    peaks.see(f23);
    const Doubles2 x0 = widen(__builtin_shufflevector(f01, f01, 0, 1));
    const Doubles2 x1 = widen(__builtin_shufflevector(f01, f01, 2, 3));
    const Doubles2 x2 = widen(__builtin_shufflevector(f23, f23, 0, 1));
    const Doubles2 x3 = widen(__builtin_shufflevector(f23, f23, 2, 3));
    addFourFrames(steps, x0, x1, x2, x3, y, sum, bass);
  }
  lowPass_[0] = y[0];
  lowPass_[1] = y[1];
  peaks.foldInto(peak_, overs_);
  sumSquares_ += sum[0] + sum[1];
  bassSumSquares_ += bass[0] + bass[1];
  for (; i < frames; ++i) {
    addSample(*s++);
    addSample(*s++);
  }
}

// Two stereo streams side by side, lanes (x left, x right, y left, y right): every lane does
// what a lane of addStereoFrames does, in the same order, so each meter ends with the same bits.
__attribute__((target("avx2"))) void LevelMeter::addStereoFramePairs(LevelMeter& a,
                                                                     const float* x,
                                                                     LevelMeter& b,
                                                                     const float* y,
                                                                     size_t frames) noexcept {
  using Doubles4 = double __attribute__((vector_size(32)));
  using Floats8 = float __attribute__((vector_size(32)));
  using Ints8 = int32_t __attribute__((vector_size(32)));
  const LowPassSteps<Doubles4> steps(a.lowPassStep_);
  Doubles4 y4 = {a.lowPass_[0], a.lowPass_[1], b.lowPass_[0], b.lowPass_[1]};
  Doubles4 sum = {0, 0, 0, 0}, bass = {0, 0, 0, 0};
  PeaksAndOvers<Floats8, Ints8> peaksA(a.peak_), peaksB(b.peak_);
  size_t i = 0;
  for (; i + 4 <= frames; i += 4, x += 8, y += 8) {
    Floats8 fx, fy;
    std::memcpy(&fx, x, sizeof fx);
    std::memcpy(&fy, y, sizeof fy);
    peaksA.see(fx);
    peaksB.see(fy);
    const Doubles4 x0 = __builtin_convertvector(__builtin_shufflevector(fx, fy, 0, 1, 8, 9), Doubles4);
    const Doubles4 x1 = __builtin_convertvector(__builtin_shufflevector(fx, fy, 2, 3, 10, 11), Doubles4);
    const Doubles4 x2 = __builtin_convertvector(__builtin_shufflevector(fx, fy, 4, 5, 12, 13), Doubles4);
    const Doubles4 x3 = __builtin_convertvector(__builtin_shufflevector(fx, fy, 6, 7, 14, 15), Doubles4);
    addFourFrames(steps, x0, x1, x2, x3, y4, sum, bass);
  }
  a.lowPass_[0] = y4[0], a.lowPass_[1] = y4[1];
  b.lowPass_[0] = y4[2], b.lowPass_[1] = y4[3];
  peaksA.foldInto(a.peak_, a.overs_);
  peaksB.foldInto(b.peak_, b.overs_);
  a.sumSquares_ += sum[0] + sum[1];
  b.sumSquares_ += sum[2] + sum[3];
  a.bassSumSquares_ += bass[0] + bass[1];
  b.bassSumSquares_ += bass[2] + bass[3];
  for (; i < frames; ++i) {
    a.addSample(*x++);
    a.addSample(*x++);
    b.addSample(*y++);
    b.addSample(*y++);
  }
}

void LevelMeter::addBoth(LevelMeter& a, const float* x, LevelMeter& b, const float* y,
                         size_t count) noexcept {
  static const bool wide = __builtin_cpu_supports("avx2");
  const bool inStep = wide && a.lowPass_.size() == 2 && b.lowPass_.size() == 2 &&
                      a.channel_ == 0 && b.channel_ == 0 && count % 2 == 0 &&
                      a.lowPassStep_ == b.lowPassStep_;
  if (!inStep) {
    a.add(x, count);
    b.add(y, count);
    return;
  }
  a.count_ += int64_t(count);
  b.count_ += int64_t(count);
  addStereoFramePairs(a, x, b, y, count / 2);
}

// One channel of interleaved frames, the same way in scalar arithmetic.
void LevelMeter::addChannelFrames(const float* s, size_t frames, size_t channel) noexcept {
  const size_t stride = lowPass_.size();
  const double step = lowPassStep_, keep = 1.0 - step;
  const double keep2 = keep * keep, keep3 = keep2 * keep, keep4 = keep2 * keep2;
  double y = lowPass_[channel], sum = 0, bass = 0;
  float peak = peak_;
  int64_t overs = 0;
  const float* x = s + channel;
  size_t i = 0;
  for (; i + 4 <= frames; i += 4, x += 4 * stride) {
    const float x0 = x[0], x1 = x[stride], x2 = x[2 * stride], x3 = x[3 * stride];
    const float a0 = std::fabs(x0), a1 = std::fabs(x1), a2 = std::fabs(x2), a3 = std::fabs(x3);
    const float a01 = a0 > a1 ? a0 : a1, a23 = a2 > a3 ? a2 : a3, a = a01 > a23 ? a01 : a23;
    peak = a > peak ? a : peak;
    overs += int64_t(a0 > 1.0f) + int64_t(a1 > 1.0f) + int64_t(a2 > 1.0f) + int64_t(a3 > 1.0f);
    sum += (double(x0) * x0 + double(x1) * x1) + (double(x2) * x2 + double(x3) * x3);
    const double u0 = step * x0;
    const double u1 = keep * u0 + step * x1;
    const double u2 = keep * u1 + step * x2;
    const double u3 = keep * u2 + step * x3;
    const double y0 = keep * y + u0, y1 = keep2 * y + u1, y2 = keep3 * y + u2;
    y = keep4 * y + u3;
    bass += (y0 * y0 + y1 * y1) + (y2 * y2 + y * y);
  }
  for (; i < frames; ++i, x += stride) {
    const float a = std::fabs(*x);
    peak = a > peak ? a : peak;
    overs += a > 1.0f;
    sum += double(*x) * *x;
    y = keep * y + step * *x;
    bass += y * y;
  }
  lowPass_[channel] = y;
  peak_ = peak;
  overs_ += overs;
  sumSquares_ += sum;
  bassSumSquares_ += bass;
}

void LevelMeter::add(const float* samples, size_t count) noexcept {
  count_ += int64_t(count);
  // Finish a frame an earlier call left open.
  for (; count > 0 && channel_ != 0; --count) addSample(*samples++);
  const size_t channels = lowPass_.size();
  const size_t frames = count / channels;
  if (channels == 2) {
    addStereoFrames(samples, frames);
  } else {
    for (size_t c = 0; c < channels; ++c) addChannelFrames(samples, frames, c);
  }
  samples += frames * channels;
  for (count -= frames * channels; count > 0; --count) addSample(*samples++);
}

double LevelMeter::bassRms() const noexcept {
  return count_ > 0 ? std::sqrt(bassSumSquares_ / double(count_)) : 0.0;
}

double LevelMeter::rms() const noexcept {
  return count_ > 0 ? std::sqrt(sumSquares_ / double(count_)) : 0.0;
}

double toDecibels(double linear) noexcept {
  if (linear <= 0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(linear);
}

}  // namespace host
