#include "host/media/LevelMeter.h"

#include <cmath>
#include <limits>

namespace host {

LevelMeter::LevelMeter(int channels, double sampleRate)
    : lowPass_(size_t(channels > 0 ? channels : 1), 0.0),
      lowPassStep_(sampleRate > 0 ? 1.0 - std::exp(-2.0 * M_PI * kBassBandHz / sampleRate) : 0.0) {}

void LevelMeter::add(const float* samples, size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    const double x = samples[i];
    const float a = std::fabs(samples[i]);
    if (a > peak_) peak_ = a;
    if (a > 1.0f) ++overs_;
    sumSquares_ += x * x;
    double& low = lowPass_[channel_];
    low += lowPassStep_ * (x - low);
    bassSumSquares_ += low * low;
    if (++channel_ == lowPass_.size()) channel_ = 0;
  }
  count_ += int64_t(count);
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
