#include "host/player/MPButton.h"

namespace host {

OBJC_CLASS(MPButton, UIButton)

Ref<MPButton> MPButton::make(uint64_t part) {
  Ref<MPButton> button = objc_make<MPButton>(runtimeClass());
  button->part_ = part;
  return button;
}

void MPButton::setGlyph(TransportGlyph glyph) {
  glyph_ = glyph;
  setNeedsDisplay();
}

namespace {

void triangle(CGContext& ctx, double x, double y, double w, double h, bool pointingRight) {
  ctx.beginPath();
  if (pointingRight) {
    ctx.moveToPoint(x, y);
    ctx.addLineToPoint(x + w, y + h / 2);
    ctx.addLineToPoint(x, y + h);
  } else {
    ctx.moveToPoint(x + w, y);
    ctx.addLineToPoint(x, y + h / 2);
    ctx.addLineToPoint(x + w, y + h);
  }
  ctx.closePath();
  ctx.fillPath();
}

}  // namespace

void MPButton::drawRect(CGContext& ctx, CGRect rect) {
  if (glyph_ == TransportGlyph::None) {
    UIButton::drawRect(ctx, rect);
    return;
  }
  CGColor color = tintColor()->cgColor();
  if (isHighlighted()) color.alpha *= 0.25;
  ctx.setFillColor(color);
  const double cx = CGRectGetMidX(rect), cy = CGRectGetMidY(rect);
  switch (glyph_) {
    case TransportGlyph::Play: triangle(ctx, cx - 9, cy - 12, 22, 24, true); break;
    case TransportGlyph::Pause:
      ctx.fillRect(CGRectMake(cx - 9, cy - 12, 6, 24));
      ctx.fillRect(CGRectMake(cx + 3, cy - 12, 6, 24));
      break;
    case TransportGlyph::Previous:
      ctx.fillRect(CGRectMake(cx - 14, cy - 9, 3, 18));
      triangle(ctx, cx - 11, cy - 9, 13, 18, false);
      triangle(ctx, cx + 1, cy - 9, 13, 18, false);
      break;
    case TransportGlyph::Next:
      triangle(ctx, cx - 14, cy - 9, 13, 18, true);
      triangle(ctx, cx - 2, cy - 9, 13, 18, true);
      ctx.fillRect(CGRectMake(cx + 11, cy - 9, 3, 18));
      break;
    case TransportGlyph::None: break;
  }
}

}  // namespace host
