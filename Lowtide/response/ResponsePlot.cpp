#include "Lowtide/response/ResponsePlot.h"

#include <optional>

#include "Lowtide/response/PeakGain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lowtide {
namespace {

constexpr CGColor kStripBackground{0, 0, 0, 0.28};
constexpr CGColor kChartBackground{0.11, 0.11, 0.12, 1};
constexpr CGColor kGrid{1, 1, 1, 0.10};
constexpr CGColor kZeroLine{1, 1, 1, 0.38};
constexpr CGColor kLevel{90 / 255.0, 200 / 255.0, 250 / 255.0, 1};
constexpr CGColor kLevelFill{90 / 255.0, 200 / 255.0, 250 / 255.0, 0.16};
constexpr CGColor kCrosstalk{1, 1, 1, 0.42};
constexpr CGColor kFilterMark{1, 149 / 255.0, 0, 0.85};
constexpr CGColor kLabel{174 / 255.0, 174 / 255.0, 178 / 255.0, 1};
constexpr CGColor kTitle{1, 1, 1, 1};

// Frequencies worth a grid line; the strip labels only the decades.
constexpr double kGridFrequencies[] = {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000};

struct Look {
  CGFloat left, top, right, bottom;  // margins around the plotting area
  CGFloat font;
  CGFloat levelWidth, crosstalkWidth;
};

constexpr Look kStripLook{30, 8, 8, 16, 11, 1.5, 1};
constexpr Look kChartLook{60, 64, 20, 30, 12, 2.5, 1.5};

// Where a frequency and a level go in the plotting area.
struct Axes {
  CGRect area;
  double nyquist;
  PlotLevels levels;

  CGFloat x(double frequency) const {
    return area.origin.x + area.size.width * std::log(frequency / kLowestCurveFrequency) /
                               std::log(nyquist / kLowestCurveFrequency);
  }
  // Levels beyond the range go just past the edge, where the clip hides them.
  CGFloat y(double db) const {
    const double span = levels.highest - levels.lowest;
    db = std::clamp(db, levels.lowest - span * 0.05, levels.highest + span * 0.05);
    return area.origin.y + area.size.height * (levels.highest - db) / span;
  }
};

std::string frequencyText(double f) {
  char text[16];
  if (f >= 1000) std::snprintf(text, sizeof text, "%gk", f / 1000);
  else std::snprintf(text, sizeof text, "%g", f);
  return text;
}

std::string levelText(double db) {
  char text[16];
  std::snprintf(text, sizeof text, db > 0 ? "+%g" : db < 0 ? "\u2212%g" : "%g", std::fabs(db));
  return text;
}

void drawLabel(CGContext& c, const std::string& text, CGRect rect, CGFloat size, CGTextAlignment align,
               const CGColor& colour = kLabel) {
  c.setFillColor(colour);
  c.drawText(text, rect, CGFontSpec{size, false}, align, CGLineBreak::TruncateTail, 1);
}

void drawGrid(CGContext& c, const Axes& a, const Look& look, PlotSize size) {
  const CGRect& r = a.area;
  const CGFloat bottom = r.origin.y + r.size.height;
  c.setLineWidth(1);
  c.setStrokeColor(kGrid);
  if (size == PlotSize::Chart)
    drawLabel(c, "20 Hz", CGRectMake(r.origin.x - 4, bottom + 2, 60, look.font + 4), look.font, CGTextAlignment::Left);
  for (double f : kGridFrequencies) {
    if (f >= a.nyquist) break;
    const CGFloat x = a.x(f);
    c.strokeLine(CGPointMake(x, r.origin.y), CGPointMake(x, bottom));
    const bool decade = f == 100 || f == 1000 || f == 10000 || f == 100000;
    if (size == PlotSize::Chart || decade)
      drawLabel(c, frequencyText(f), CGRectMake(x - 20, bottom + 2, 40, look.font + 4), look.font,
                CGTextAlignment::Center);
  }
  // The strip marks its edges and 0 dB; the chart every 6 dB, or 12 over a wide range.
  const double span = a.levels.highest - a.levels.lowest;
  const double step = size == PlotSize::Strip ? span / 2 : span <= 48 ? 6 : 12;
  for (double db = a.levels.lowest; db <= a.levels.highest + 1e-9; db += step) {
    const CGFloat y = a.y(db);
    c.setStrokeColor(db == 0 ? kZeroLine : kGrid);
    c.strokeLine(CGPointMake(r.origin.x, y), CGPointMake(r.origin.x + r.size.width, y));
    // A strip too short for three labels names only its 0 dB line.
    if (size == PlotSize::Strip && db != 0 && r.size.height < 2 * (look.font + 2)) continue;
    const std::string label = size == PlotSize::Chart ? levelText(db) + " dB" : levelText(db);
    drawLabel(c, label, CGRectMake(r.origin.x - look.left, y - look.font * 0.7, look.left - 4, look.font + 4), look.font,
              CGTextAlignment::Right);
  }
}

void strokeCurve(CGContext& c, const Axes& a, const std::vector<CurvePoint>& points, bool crosstalk) {
  c.beginPath();
  bool first = true;
  for (const CurvePoint& p : points) {
    const CGFloat x = a.x(p.frequency), y = a.y(crosstalk ? p.crosstalkDb : p.levelDb);
    if (first) c.moveToPoint(x, y);
    else c.addLineToPoint(x, y);
    first = false;
  }
  c.strokePath();
}

// The strip fills only what is boosted: a cut is the line alone, so a steep stop band reads as a
// curve leaving the scale rather than a block down to the edge.
void fillToZero(CGContext& c, const Axes& a, const std::vector<CurvePoint>& points, bool boostsOnly) {
  const CGFloat zero = a.y(0);
  c.beginPath();
  c.moveToPoint(a.x(points.front().frequency), zero);
  for (const CurvePoint& p : points)
    c.addLineToPoint(a.x(p.frequency), a.y(boostsOnly ? std::max(p.levelDb, 0.0) : p.levelDb));
  c.addLineToPoint(a.x(points.back().frequency), zero);
  c.closePath();
  c.setFillColor(kLevelFill);
  c.fillPath();
}

// One row of keys under the title.
void drawLegend(CGContext& c, const ResponseCurve& curve, CGFloat x, CGFloat y, const Look& look) {
  struct Key {
    std::string text;
    CGColor colour;
    CGFloat width;
  };
  std::vector<Key> keys;
  const int channels = curve.chain.channels;
  keys.push_back({channels > 1 ? "level (centred signal)" : "level", kLevel, look.levelWidth});
  if (curve.hasCrosstalk())
    keys.push_back({channels == 2 ? "crosstalk (right to left)" : "crosstalk (others to first)", kCrosstalk,
                    look.crosstalkWidth});
  if (curve.chain.filter) keys.push_back({"filter frequency", kFilterMark, 1});
  for (const Key& k : keys) {
    c.setStrokeColor(k.colour);
    c.setLineWidth(k.width);
    c.strokeLine(CGPointMake(x, y + look.font * 0.65), CGPointMake(x + 20, y + look.font * 0.65));
    const CGFloat width = CGTextMeasure(k.text, CGFontSpec{look.font, false}, 0, CGLineBreak::Clip, 1).width;
    drawLabel(c, k.text, CGRectMake(x + 26, y, width + 2, look.font + 4), look.font, CGTextAlignment::Left);
    x += 26 + width + 24;
  }
}

}  // namespace

PlotLevels plotLevels(const ResponseCurve& curve, PlotSize size) {
  double highest = 0, lowest = 0;
  for (const CurvePoint& p : curve.points) {
    if (std::isfinite(p.levelDb)) highest = std::max(highest, p.levelDb), lowest = std::min(lowest, p.levelDb);
    if (std::isfinite(p.crosstalkDb)) lowest = std::min(lowest, p.crosstalkDb);
  }
  // The strip keeps one scale whatever the settings, so two settings compare by eye; it covers
  // the filter's gain range and the bass stage's usual boost.
  if (size == PlotSize::Strip) return {-24, 24};
  const double top = std::max(12.0, 12 * std::ceil(highest / 12 - 1e-9));
  return {std::clamp(12 * std::floor(lowest / 12 + 1e-9), -72.0, -12.0), top};
}

void drawResponsePlot(CGContext& c, CGRect rect, const ResponseCurve& curve, PlotSize size,
                      const std::string& title) {
  const Look& look = size == PlotSize::Strip ? kStripLook : kChartLook;
  c.saveGState();
  const CGRect area = CGRectMake(rect.origin.x + look.left, rect.origin.y + look.top,
                                 rect.size.width - look.left - look.right,
                                 rect.size.height - look.top - look.bottom);
  if (size == PlotSize::Strip) {
    c.setFillColor(kStripBackground);
    c.fillRoundedRect(rect, 6);
  } else {
    c.setFillColor(kChartBackground);
    c.fillRect(rect);
    const size_t lineEnd = title.find('\n');
    drawLabel(c, title.substr(0, lineEnd), CGRectMake(area.origin.x, rect.origin.y + 8, area.size.width, 16), 12,
              CGTextAlignment::Left, kTitle);
    if (lineEnd != std::string::npos)
      drawLabel(c, title.substr(lineEnd + 1), CGRectMake(area.origin.x, rect.origin.y + 24, area.size.width, 16), 12,
                CGTextAlignment::Left, kTitle);
    drawLegend(c, curve, area.origin.x, rect.origin.y + 42, look);
  }
  const Axes axes{area, std::max(curve.chain.nyquist(), 2 * kLowestCurveFrequency), plotLevels(curve, size)};
  drawGrid(c, axes, look, size);

  c.saveGState();
  c.clipToRect(area);
  const double marked = curve.chain.filterFrequency;
  if (curve.chain.filter && marked > kLowestCurveFrequency && marked < axes.nyquist) {
    c.setStrokeColor(kFilterMark);
    c.setLineWidth(1);
    c.strokeLine(CGPointMake(axes.x(marked), area.origin.y), CGPointMake(axes.x(marked), area.origin.y + area.size.height));
  }
  if (!curve.points.empty()) {
    fillToZero(c, axes, curve.points, size == PlotSize::Strip);
    if (curve.hasCrosstalk()) {
      c.setStrokeColor(kCrosstalk);
      c.setLineWidth(look.crosstalkWidth);
      strokeCurve(c, axes, curve.points, true);
    }
    c.setStrokeColor(kLevel);
    c.setLineWidth(look.levelWidth);
    strokeCurve(c, axes, curve.points, false);
  }
  c.restoreGState();
  // The strip names the headroom its curve needs, in its top right corner.
  if (size == PlotSize::Strip && !curve.points.empty())
    if (const std::optional<PeakGain> peak = peakGain(curve.chain); peak && std::isfinite(peak->levelDb))
      drawLabel(c, peakText(*peak), CGRectMake(area.origin.x, rect.origin.y + 2, area.size.width - 4, look.font + 4),
                look.font, CGTextAlignment::Right);
  c.restoreGState();
}

}  // namespace lowtide
