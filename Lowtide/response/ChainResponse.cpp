#include "Lowtide/response/ChainResponse.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace lowtide {
namespace {

using Complex = std::complex<double>;

Complex sectionTransfer(const SectionCoefs& s, Complex zInverse) {
  const Complex numerator = double(s.c0) + zInverse * (double(s.c1) + zInverse * double(s.c2));
  const Complex denominator = 1.0 + zInverse * (double(s.c3) + zInverse * double(s.c4));
  return numerator / denominator;
}

Complex bassTransfer(const BassStage& b, Complex zInverse) {
  const double g1 = double(float(1.0 / (b.k + 1.0)));
  const Complex smoothed = g1 / (1.0 - g1 * b.k * zInverse);
  return b.gain * (1.0 + b.intensity * smoothed);
}

}  // namespace

Complex chainTransfer(const EqualizerChain& chain, Complex z) {
  const Complex zInverse = 1.0 / z;
  Complex h = 1.0;
  if (chain.filter) h *= sectionTransfer(*chain.filter, zInverse);
  if (chain.bass) h *= bassTransfer(*chain.bass, zInverse);
  return h;
}

// With the chain H at the walk's rate and w = e^{jω/C} for the frame-rate frequency ω, sample c
// of a frame reaches the first channel of the same or a later frame through the taps of H whose
// delay is congruent to -c modulo C, delayed by c more steps:
//   G_c(e^{jω}) = w^{-c} (1/C) Σ_q ρ^{-qc} H(w ρ^q),  ρ = e^{2πj/C}.
// For two channels: G_0 = (H(w) + H(-w))/2 and G_1 = w^{-1} (H(w) - H(-w))/2.
ChannelResponse channelResponse(const EqualizerChain& chain, double frequency) {
  if (!chain.known) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {{nan, nan}, {nan, nan}};
  }
  if (chain.isFlat()) return {1.0, 0.0};
  const int c = std::max(1, chain.channels);
  const double omega = 2 * std::numbers::pi * frequency / chain.sampleRate;
  const Complex w = std::polar(1.0, omega / c);
  if (c == 1) return {chainTransfer(chain, w), 0.0};

  std::vector<Complex> aliases(size_t(c), 0.0);  // H(w ρ^q)
  for (int q = 0; q < c; ++q) aliases[size_t(q)] = chainTransfer(chain, w * std::polar(1.0, 2 * std::numbers::pi * q / c));
  ChannelResponse r{0.0, 0.0};
  for (int from = 0; from < c; ++from) {
    Complex sum = 0.0;
    for (int q = 0; q < c; ++q) sum += std::polar(1.0, -2 * std::numbers::pi * q * from / c) * aliases[size_t(q)];
    const Complex g = std::polar(1.0, -omega * from / c) * sum / double(c);
    r.centred += g;
    if (from > 0) r.crosstalk += g;
  }
  return r;
}

double decibels(Complex h) {
  const double magnitude = std::abs(h);
  return magnitude == 0 ? -std::numeric_limits<double>::infinity() : 20 * std::log10(magnitude);
}

bool ResponseCurve::hasCrosstalk() const {
  for (const CurvePoint& p : points)
    if (std::isfinite(p.crosstalkDb)) return true;
  return false;
}

std::vector<double> logFrequencies(double lowest, double highest, int perOctave) {
  std::vector<double> out;
  const int n = std::max(1, perOctave);
  for (int k = 0;; ++k) {
    const double f = lowest * std::exp2(double(k) / n);
    if (f >= highest * (1 - 1e-9)) break;
    out.push_back(f);
  }
  out.push_back(highest);
  return out;
}

ResponseCurve responseCurve(const EqualizerChain& chain, const std::vector<double>& frequencies) {
  ResponseCurve curve{chain, {}};
  if (!chain.known) return curve;
  curve.points.reserve(frequencies.size());
  for (double f : frequencies) {
    const ChannelResponse r = channelResponse(chain, f);
    curve.points.push_back({f, decibels(r.centred), decibels(r.crosstalk)});
  }
  return curve;
}

ResponseCurve responseCurve(const EqualizerChain& chain, int perOctave) {
  return responseCurve(chain, logFrequencies(kLowestCurveFrequency, chain.nyquist(), perOctave));
}

}  // namespace lowtide
