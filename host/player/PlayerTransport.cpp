#include "host/player/PlayerTransport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace host {

SkipMove resolveSkip(int skip, size_t current, double positionSeconds) {
  if (skip > 0) return {false, current + size_t(skip)};
  size_t back = size_t(-int64_t(skip));
  if (positionSeconds > kRestartAfterSeconds) --back;  // the first press restarts the track
  const size_t track = current - std::min(back, current);
  return {track == current, track};
}

std::string comparisonLabel(bool bypass, bool matched, double gainDb) {
  if (!bypass) return "Tunely";
  if (!matched) return "Bypass, unmatched";
  const double tenths = std::round(gainDb * 10) / 10;
  char text[64];
  std::snprintf(text, sizeof text, "Bypass, level-matched %s%.1f dB",
                tenths < 0 ? "\u2212" : tenths > 0 ? "+" : "", std::fabs(tenths));
  return text;
}

std::string formatPlayTime(double seconds) {
  const long total = seconds > 0 && std::isfinite(seconds) ? long(std::floor(seconds)) : 0;
  char text[32];
  if (total >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  else std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

}  // namespace host
