#include "host/media/OutputGain.h"

#include <algorithm>
#include <cmath>

namespace host {

float OutputGain::gainForVolume(float volume) {
  const float v = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 1.0f;
  return v * v * v;
}

void OutputGain::process(float* samples, int64_t frames) noexcept {
  if (frames <= 0) return;  // an empty cycle keeps a change for the next one to ramp over
  const float target = target_.load(std::memory_order_relaxed);
  const size_t ch = size_t(std::max(1, channels_));
  if (target == gain_) {
    if (gain_ == 1.0f) return;
    for (size_t i = 0, n = size_t(frames) * ch; i < n; ++i) samples[i] *= gain_;
    return;
  }
  const float from = gain_;
  const float step = (target - from) / float(std::max<int64_t>(1, frames));
  for (int64_t f = 0; f < frames; ++f) {
    const float g = from + step * float(f + 1);
    for (size_t c = 0; c < ch; ++c) samples[size_t(f) * ch + c] *= g;
  }
  gain_ = target;
}

}  // namespace host
