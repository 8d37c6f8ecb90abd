#include "uikit/UIBarMaterial.h"

namespace {

bool isBlack(NSInteger barStyle) { return barStyle != UIBarStyleDefault; }

// A tint that is set and can be seen; a clear tint means the bar style's own.
bool hasVisibleTint(const UIColor* tint) { return tint != nullptr && tint->alpha() > 0; }

}  // namespace

void UIBarDrawMaterial(CGContext& ctx, CGRect rect, NSInteger barStyle, UIColor* barTintColor, bool translucent,
                       CGBlurCache* blurCache) {
  // The black material is dark enough that light text and light tints stay readable over a white
  // screen under it.
  CGColor tint = isBlack(barStyle) ? CGColor{0.08, 0.08, 0.08, 0.82} : CGColor{0.97, 0.97, 0.97, 0.8};
  if (hasVisibleTint(barTintColor)) {
    tint = barTintColor->cgColor();
    tint.alpha *= 0.8;
  }
  if (translucent) {
    ctx.blurBehind(rect, kUIBarBlurRadius, blurCache);
  } else {
    tint.alpha = 1;
  }
  ctx.setFillColor(tint);
  ctx.fillRect(rect);
}

void UIBarDrawHairline(CGContext& ctx, CGRect rect, bool atTop, NSInteger barStyle) {
  const double pixel = 1 / ctx.scale();
  const double y = atTop ? rect.origin.y : rect.origin.y + rect.size.height - pixel;
  ctx.setFillColor(isBlack(barStyle) ? CGColor{0, 0, 0, 0.6} : CGColor{0, 0, 0, 0.3});
  ctx.fillRect(CGRectMake(rect.origin.x, y, rect.size.width, pixel));
}

CGColor UIBarTextColor(NSInteger barStyle) {
  return isBlack(barStyle) ? CGColor{1, 1, 1, 1} : CGColor{0, 0, 0, 1};
}
