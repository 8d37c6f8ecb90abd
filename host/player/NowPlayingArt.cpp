#include "host/player/NowPlayingArt.h"

#include <cmath>
#include <cstdint>

#include "uikit/UIFont.h"

namespace host {

OBJC_CLASS(StatusBarView, UIView)
OBJC_CLASS(ArtworkView, UIView)
OBJC_CLASS(SpeakerGlyphView, UIView)

void StatusBarView::drawRect(CGContext& ctx, CGRect r) {
  const CGColor ink{0, 0, 0, 1};
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

void ArtworkView::drawRect(CGContext& ctx, CGRect r) {
  // The same title always gets the same colour: a hash of its bytes picks the hue.
  uint32_t hash = 2166136261u;
  for (unsigned char c : title_) hash = (hash ^ c) * 16777619u;
  const double hue = double(hash % 360) / 360.0;
  auto channel = [hue](double offset) { return 0.55 + 0.35 * std::cos(2 * M_PI * (hue + offset)); };
  const CGColor base{channel(0), channel(1.0 / 3), channel(2.0 / 3), 1};
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
