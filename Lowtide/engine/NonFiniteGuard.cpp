#include "Lowtide/engine/NonFiniteGuard.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Lowtide/engine/BiquadMath.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {
namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// A float is NaN or infinite exactly when all its exponent bits are set. Working on the bits
// keeps the test exact whatever the thread's float mode, and lets the compiler vectorise it.
inline void silenceIfNonFinite(float& sample) {
  constexpr uint32_t kExponent = 0x7f800000u;
  uint32_t bits;
  std::memcpy(&bits, &sample, sizeof bits);
  bits &= (bits & kExponent) == kExponent ? 0u : ~0u;
  std::memcpy(&sample, &bits, sizeof bits);
}

bool isFinite(const BiquadHistory& h) {
  return std::isfinite(h.x1) && std::isfinite(h.x2) && std::isfinite(h.y1) && std::isfinite(h.y2);
}

void resetIfNonFinite(biquad* section) {
  if (section == nullptr || isFinite(loadHistory(*section))) return;
  // All four go: a finite but huge input left in x1 would overflow again in the next block.
  storeHistory(*section, BiquadHistory{0.0f, 0.0f, 0.0f, 0.0f});
}

}  // namespace

void silenceNonFiniteSamples(float* samples, size_t count) {
  // Fixed-length inner runs are what the compiler vectorises at the build's optimisation level.
  constexpr size_t kRun = 8;
  size_t i = 0;
  for (; i + kRun <= count; i += kRun) {
    for (size_t j = 0; j < kRun; ++j) silenceIfNonFinite(samples[i + j]);
  }
  for (; i < count; ++i) silenceIfNonFinite(samples[i]);
}

void resetNonFiniteFilterState() {
  resetIfNonFinite(mainFilter.load(std::memory_order_acquire));
  for (auto& band : plusFilters) resetIfNonFinite(band.load(std::memory_order_acquire));
  if (!std::isfinite(cap.load(relaxed))) cap.store(0.0f, relaxed);
}

}  // namespace lowtide
