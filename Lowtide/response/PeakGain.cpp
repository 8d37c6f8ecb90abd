#include "Lowtide/response/PeakGain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lowtide {
namespace {

constexpr int kGridPerOctave = 48;

double levelAt(const EqualizerChain& chain, double frequency) {
  return decibels(channelResponse(chain, frequency).centred);
}

}  // namespace

std::optional<PeakGain> peakGain(const EqualizerChain& chain) {
  if (!chain.known) return std::nullopt;
  const std::vector<double> grid = logFrequencies(kLowestCurveFrequency, chain.nyquist(), kGridPerOctave);
  size_t best = 0;
  std::vector<double> levels(grid.size());
  for (size_t i = 0; i < grid.size(); ++i) {
    levels[i] = levelAt(chain, grid[i]);
    if (levels[i] > levels[best]) best = i;
  }
  // A golden-section search over log frequency between the grid points either side: the curve
  // is smooth there, with one maximum.
  double lo = std::log(grid[best == 0 ? 0 : best - 1]), hi = std::log(grid[std::min(best + 1, grid.size() - 1)]);
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  double a = hi - ratio * (hi - lo), b = lo + ratio * (hi - lo);
  double fa = levelAt(chain, std::exp(a)), fb = levelAt(chain, std::exp(b));
  while (hi - lo > 1e-5) {
    if (fa >= fb) {
      hi = b, b = a, fb = fa;
      a = hi - ratio * (hi - lo);
      fa = levelAt(chain, std::exp(a));
    } else {
      lo = a, a = b, fa = fb;
      b = lo + ratio * (hi - lo);
      fb = levelAt(chain, std::exp(b));
    }
  }
  PeakGain peak{grid[best], levels[best]};
  const double middle = std::exp((lo + hi) / 2), level = levelAt(chain, middle);
  if (level > peak.levelDb) peak = {middle, level};
  return peak;
}

std::string peakText(const PeakGain& peak) {
  if (!std::isfinite(peak.levelDb)) return "no sound passes";
  const double tenths = std::round(peak.levelDb * 10) / 10;
  char level[24], where[24];
  std::snprintf(level, sizeof level, "%s%.1f dB", tenths > 0 ? "+" : tenths < 0 ? "\u2212" : "", std::fabs(tenths));
  if (peak.frequency >= 1000) std::snprintf(where, sizeof where, "%.1f kHz", peak.frequency / 1000);
  else std::snprintf(where, sizeof where, "%.0f Hz", peak.frequency);
  return std::string("peak ") + level + " at " + where;
}

}  // namespace lowtide
