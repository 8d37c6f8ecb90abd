#include "host/media/KWeighting.h"

#include <cmath>

namespace host {
namespace {

// Analogue prototypes fitted to the standard's 48 kHz filters.
constexpr double kShelfHz = 1681.974450955533;
constexpr double kShelfGainDb = 3.999843853973347;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kShelfBandGainExponent = 0.4996667741545416;  // of the gain, at the band edge
constexpr double kHighPassHz = 38.13547087602444;
constexpr double kHighPassQ = 0.5003270373238773;

}  // namespace

bool kWeightingSupportsRate(double sampleRate) {
  return std::isfinite(sampleRate) && sampleRate > 2 * kShelfHz;
}

BiquadCoefficients kWeightingShelf(double sampleRate) {
  const double k = std::tan(M_PI * kShelfHz / sampleRate);
  const double high = std::pow(10.0, kShelfGainDb / 20);
  const double band = std::pow(high, kShelfBandGainExponent);
  const double a0 = 1 + k / kShelfQ + k * k;
  return {(high + band * k / kShelfQ + k * k) / a0, 2 * (k * k - high) / a0,
          (high - band * k / kShelfQ + k * k) / a0, 2 * (k * k - 1) / a0,
          (1 - k / kShelfQ + k * k) / a0};
}

BiquadCoefficients kWeightingHighPass(double sampleRate) {
  const double k = std::tan(M_PI * kHighPassHz / sampleRate);
  const double a0 = 1 + k / kHighPassQ + k * k;
  return {1.0, -2.0, 1.0, 2 * (k * k - 1) / a0, (1 - k / kHighPassQ + k * k) / a0};
}

}  // namespace host
