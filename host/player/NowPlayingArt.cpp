#include "host/player/NowPlayingArt.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "uikit/UIFont.h"

namespace host {

OBJC_CLASS(StatusBarView, UIView)
OBJC_CLASS(ArtworkView, UIView)
OBJC_CLASS(SpeakerGlyphView, UIView)

// Light content over a dark screen, dark over a light one, as the screen under it now is.
CGColor StatusBarView::inkOver(const CGColor& behind) {
  const double luminance = CGColorRelativeLuminance(behind);
  return luminance < 0.18 ? CGColor{1, 1, 1, 1} : CGColor{0, 0, 0, 1};
}

void StatusBarView::drawRect(CGContext& ctx, CGRect r) {
  const CGColor ink = inkOver(ctx.averageColorBehind(r));
  ctx.setFillColor(ink);
  const CGFontSpec small{12, false}, bold{12, true};
  ctx.drawText("Tunely", CGRectMake(r.origin.x + 6, r.origin.y + 3, 120, 16), small, CGTextAlignment::Left,
               CGLineBreak::Clip, 1);
  ctx.drawText("9:41", CGRectMake(r.origin.x, r.origin.y + 3, r.size.width, 16), bold, CGTextAlignment::Center,
               CGLineBreak::Clip, 1);
  // A full battery.
  const double x = CGRectGetMaxX(r) - 32;
  ctx.setStrokeColor(ink);
  ctx.setLineWidth(1);
  ctx.strokeRoundedRect(CGRectMake(x + 0.5, r.origin.y + 6.5, 22, 9), 2);
  ctx.fillRect(CGRectMake(x + 2.5, r.origin.y + 8.5, 18, 5));
  ctx.fillRect(CGRectMake(x + 23, r.origin.y + 9, 2, 4));
}

void ArtworkView::setTitle(const std::string& title) {
  title_ = title;
  setNeedsDisplay();
}

namespace {

// A colour of the given hue (in turns) at one lightness and chroma in the OKLab space, where equal
// steps of hue look equally far apart and every hue looks equally light.
CGColor perceptualHue(double turns) {
  const double lightness = 0.66, chroma = 0.13, angle = 2 * M_PI * turns;
  const double a = chroma * std::cos(angle), b = chroma * std::sin(angle);
  const double l = std::pow(lightness + 0.3963377774 * a + 0.2158037573 * b, 3);
  const double m = std::pow(lightness - 0.1055613458 * a - 0.0638541728 * b, 3);
  const double s = std::pow(lightness - 0.0894841775 * a - 1.2914855480 * b, 3);
  auto encode = [](double linear) {
    linear = std::clamp(linear, 0.0, 1.0);
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
  };
  return CGColor{encode(4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s),
                 encode(-1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s),
                 encode(-0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s), 1};
}

}  // namespace

// The same title always gets the same colour: a hash of its bytes picks one of 24 hues 15
// degrees apart, so different titles mostly differ at a glance.
CGColor ArtworkView::colourForTitle(const std::string& title) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : title) hash = (hash ^ c) * 16777619u;
  return perceptualHue(double(hash % 24) / 24);
}

void ArtworkView::drawRect(CGContext& ctx, CGRect r) {
  const CGColor base = colourForTitle(title_);
  ctx.setFillColor(base);
  ctx.fillRoundedRect(r, 4);
  ctx.setFillColor(CGColor{1, 1, 1, 0.18});
  ctx.fillRoundedRect(CGRectMake(r.origin.x, r.origin.y, r.size.width, r.size.height / 2), 4);
  // Seven bars of an equalizer, white.
  const double heights[] = {0.35, 0.6, 0.45, 0.8, 0.55, 0.7, 0.4};
  const double barWidth = r.size.width / 12, gap = barWidth * 0.5;
  const double total = 7 * barWidth + 6 * gap;
  double x = CGRectGetMidX(r) - total / 2;
  const double bottom = r.origin.y + r.size.height * 0.82;
  ctx.setFillColor(CGColor{1, 1, 1, 0.9});
  for (double h : heights) {
    const double height = h * r.size.height * 0.6;
    ctx.fillRoundedRect(CGRectMake(x, bottom - height, barWidth, height), barWidth / 4);
    x += barWidth + gap;
  }
}

}  // namespace host

namespace host {

void SpeakerGlyphView::drawRect(CGContext& ctx, CGRect r) {
  const double cx = CGRectGetMidX(r), cy = CGRectGetMidY(r);
  const double x = loud_ ? cx - 7 : cx - 4;
  const CGColor grey{0.56, 0.56, 0.58, 1};
  ctx.setFillColor(grey);
  ctx.beginPath();
  ctx.moveToPoint(x, cy - 2.5);
  ctx.addLineToPoint(x + 3, cy - 2.5);
  ctx.addLineToPoint(x + 7, cy - 6);
  ctx.addLineToPoint(x + 7, cy + 6);
  ctx.addLineToPoint(x + 3, cy + 2.5);
  ctx.addLineToPoint(x, cy + 2.5);
  ctx.closePath();
  ctx.fillPath();
  if (!loud_) return;
  ctx.setStrokeColor(grey);
  ctx.setLineWidth(1.2);
  for (double radius : {4.0, 7.5}) {
    ctx.beginPath();
    ctx.addArc(x + 7, cy, radius, -0.8, 0.8);
    ctx.strokePath();
  }
}

}  // namespace host
