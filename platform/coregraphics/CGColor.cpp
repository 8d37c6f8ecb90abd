#include "coregraphics/CGColor.h"

#include <algorithm>
#include <cmath>

namespace {

double linear(double channel) {
  channel = std::clamp(channel, 0.0, 1.0);
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

}  // namespace

double CGColorRelativeLuminance(const CGColor& c) {
  return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

double CGColorContrastRatio(const CGColor& a, const CGColor& b) {
  const double la = CGColorRelativeLuminance(a), lb = CGColorRelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

CGColor CGColorOver(const CGColor& top, const CGColor& bottom) {
  const double a = std::clamp(top.alpha, 0.0, 1.0);
  return CGColor{top.red * a + bottom.red * (1 - a), top.green * a + bottom.green * (1 - a),
                 top.blue * a + bottom.blue * (1 - a), 1};
}
