#include "host/media/LevelMeter.h"

#include <cmath>
#include <limits>

namespace host {

void LevelMeter::add(const float* samples, size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    float a = std::fabs(samples[i]);
    if (a > peak_) peak_ = a;
    if (a > 1.0f) ++overs_;
    sumSquares_ += double(samples[i]) * double(samples[i]);
  }
  count_ += int64_t(count);
}

double LevelMeter::rms() const noexcept {
  return count_ > 0 ? std::sqrt(sumSquares_ / double(count_)) : 0.0;
}

double toDecibels(double linear) noexcept {
  if (linear <= 0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(linear);
}

}  // namespace host
