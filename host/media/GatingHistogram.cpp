#include "host/media/GatingHistogram.h"

#include <cmath>
#include <limits>

namespace host {
namespace {

// The K-weighting filter's gain at 1 kHz, taken off so that a 1 kHz tone reads its RMS level.
constexpr double kOffsetDb = -0.691;
constexpr size_t kBins = size_t((GatingHistogram::kTopLufs - GatingHistogram::kAbsoluteGateLufs) *
                                GatingHistogram::kBinsPerLu);

size_t binOf(double meanSquare) noexcept {
  const double above = (loudnessOfMeanSquare(meanSquare) - GatingHistogram::kAbsoluteGateLufs) *
                       GatingHistogram::kBinsPerLu;
  if (!(above > 0)) return 0;
  return above >= double(kBins - 1) ? kBins - 1 : size_t(above);
}

}  // namespace

double loudnessOfMeanSquare(double meanSquare) noexcept {
  return kOffsetDb + 10 * std::log10(meanSquare);  // -inf for silence
}

double meanSquareOfLoudness(double lufs) noexcept { return std::pow(10.0, (lufs - kOffsetDb) / 10); }

GatingHistogram::GatingHistogram()
    : counts_(kBins, 0), sums_(kBins, 0.0), absoluteGate_(meanSquareOfLoudness(kAbsoluteGateLufs)) {}

void GatingHistogram::add(double meanSquare) noexcept {
  if (!(meanSquare >= absoluteGate_) || !std::isfinite(meanSquare) || counts_.empty()) return;
  const size_t bin = binOf(meanSquare);
  ++counts_[bin];
  sums_[bin] += meanSquare;
  sum_ += meanSquare;
  ++count_;
}

double GatingHistogram::integrated() const noexcept {
  if (count_ == 0) return -std::numeric_limits<double>::infinity();
  const double relativeGate = sum_ / double(count_) * std::pow(10.0, kRelativeGateLu / 10);
  // Blocks in the gate's own bin are counted in when the gate lies in its lower half.
  size_t first = 0;
  if (relativeGate > absoluteGate_) {
    const double above = (loudnessOfMeanSquare(relativeGate) - kAbsoluteGateLufs) * kBinsPerLu;
    first = binOf(relativeGate);
    if (above - std::floor(above) > 0.5 && first < kBins - 1) ++first;
  }
  double sum = 0;
  int64_t count = 0;
  for (size_t bin = first; bin < counts_.size(); ++bin) {
    sum += sums_[bin];
    count += counts_[bin];
  }
  return count > 0 ? loudnessOfMeanSquare(sum / double(count))
                   : -std::numeric_limits<double>::infinity();
}

void GatingHistogram::releaseMemory() {
  std::vector<uint32_t>().swap(counts_);
  std::vector<double>().swap(sums_);
}

}  // namespace host
