#include "host/media/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace host {
namespace {

// The tail of a release, less than a hundredth of a dB, is not counted as acting.
constexpr double kActing = 0.99885;

}  // namespace

void PeakLimiter::configure(int channels, double sampleRate, double highestRate) {
  channels_ = std::max(1, channels);
  room_ = std::max<int64_t>(1, std::llround(kLookaheadSeconds * std::max(sampleRate, highestRate)));
  delay_.assign(size_t(room_) * size_t(channels_), 0.0f);
  minima_.assign(size_t(room_) + 2, Held{0, 1.0f});
  box_.assign(size_t(room_), 0.0);
  restart(sampleRate);
}

void PeakLimiter::restart(double sampleRate) noexcept {
  if (room_ == 0 || !(sampleRate > 0)) return;  // not configured yet, or no rate to go by
  sampleRate_ = sampleRate;
  lookahead_ = std::clamp<int64_t>(std::llround(kLookaheadSeconds * sampleRate), 1, room_);
  ringSize_ = size_t(lookahead_) + 2;
  target_ = float(std::pow(10.0, kCeilingDb / 20) * (1 - 1e-6));
  releaseCoef_ = std::exp(-1.0 / (kReleaseSeconds * sampleRate));
  std::fill(delay_.begin(), delay_.end(), 0.0f);
  std::fill(minima_.begin(), minima_.end(), Held{0, 1.0f});
  minHead_ = minCount_ = 0;
  std::fill(box_.begin(), box_.end(), 0.0);
  boxSum_ = 0;
  boxBelowOne_ = 0;
  frame_ = 0;
  gain_ = 1;
  reductionDb_.store(0, std::memory_order_relaxed);
}

void PeakLimiter::process(float* samples, int64_t frames) noexcept {
  if (lookahead_ == 0) return;
  const size_t ch = size_t(channels_);
  const size_t ringSize = ringSize_;
  double lowest = 1;
  int64_t limited = 0;
  for (int64_t i = 0; i < frames; ++i, ++frame_) {
    float* frame = samples + size_t(i) * ch;
    float peak = 0;
    for (size_t c = 0; c < ch; ++c) peak = std::max(peak, std::fabs(frame[c]));  // NaN counts as 0
    const float needed = peak > target_ ? target_ / peak : 1.0f;

    // Running minimum over the newest lookahead + 1 frames.
    while (minCount_ > 0 && minima_[(minHead_ + minCount_ - 1) % ringSize].gain >= needed) --minCount_;
    minima_[(minHead_ + minCount_) % ringSize] = Held{frame_, needed};
    ++minCount_;
    while (minima_[minHead_].frame < frame_ - lookahead_) {
      minHead_ = (minHead_ + 1) % ringSize;
      --minCount_;
    }
    const float held = minima_[minHead_].gain;

    // The box of held minima over the lookahead.
    double& slot = box_[size_t(frame_ % lookahead_)];
    if (slot != 0) --boxBelowOne_;
    boxSum_ -= slot;
    slot = 1.0 - double(held);
    if (slot != 0) ++boxBelowOne_;
    boxSum_ += slot;
    if (boxBelowOne_ == 0) boxSum_ = 0;  // no drift once the box is clear
    const double boxed = boxBelowOne_ == 0 ? 1.0 : 1.0 - boxSum_ / double(lookahead_);

    // Falls with the box at once, rises with the release; exactly 1 again once within a
    // thousandth of a dB of it (a step no one hears), so the signal is untouched again within
    // a second of the last peak.
    if (boxed < gain_) gain_ = boxed;
    else gain_ = boxed - (boxed - gain_) * releaseCoef_;
    if (boxed == 1.0 && gain_ > 1 - 1e-4) gain_ = 1;

    // The frame leaving the delay takes the gain; the new one takes its place.
    float* delayed = delay_.data() + size_t(frame_ % lookahead_) * ch;
    if (gain_ == 1) {
      for (size_t c = 0; c < ch; ++c) std::swap(frame[c], delayed[c]);
    } else {
      const float g = float(gain_);
      for (size_t c = 0; c < ch; ++c) {
        const float in = frame[c];
        frame[c] = delayed[c] * g;
        delayed[c] = in;
      }
      if (gain_ < kActing) ++limited;
      lowest = std::min(lowest, gain_);
    }
  }
  reductionDb_.store(lowest < 1 ? 20 * std::log10(lowest) : 0.0, std::memory_order_relaxed);
  if (limited > 0) framesLimited_.fetch_add(limited, std::memory_order_relaxed);
}

}  // namespace host
