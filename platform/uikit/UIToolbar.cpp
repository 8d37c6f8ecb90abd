#include "uikit/UIToolbar.h"

#include <algorithm>

#include "uikit/UIKitPropertyTypes.h"

OBJC_CLASS_WITH_MEMBERS(UIToolbar, UIView)

namespace {
// The items' row: the bar's standard height, centred in a taller bar, inset from its ends.
constexpr double kRowHeight = 44;
constexpr double kEdgeMargin = 6;
}  // namespace

void UIToolbar::registerMembers(Class cls) {
  class_addObjectList(cls, "items", &UIToolbar::setItems);
  class_addProperty(cls, "barStyle", &UIToolbar::setBarStyle);
  class_addProperty(cls, "barTintColor", &UIToolbar::setBarTintColor);
  class_addProperty(cls, "translucent", &UIToolbar::setTranslucent);
}

void UIToolbar::setItems(const std::vector<Ref<UIBarButtonItem>>& items) {
  items_ = items;
  setNeedsLayout();
}

void UIToolbar::setBarStyle(NSInteger style) {
  barStyle_ = std::clamp<NSInteger>(style, UIBarStyleDefault, UIBarStyleBlackTranslucent);
  setNeedsDisplay();
}

void UIToolbar::setBarTintColor(UIColor* color) {
  barTintColor_ = Ref<UIColor>(color);
  setNeedsDisplay();
}

void UIToolbar::setTranslucent(bool translucent) {
  translucent_ = translucent;
  setNeedsDisplay();
}

void UIToolbar::drawRect(CGContext& ctx, CGRect) {
  const CGRect b = bounds();
  UIBarDrawMaterial(ctx, b, barStyle_, barTintColor_.get(), translucent_, &blurCache_);
  UIBarDrawHairline(ctx, b, true, barStyle_);
}

void UIToolbar::layoutSubviews() {
  const CGRect b = bounds();
  const double height = std::min(kRowHeight, b.size.height);
  const CGRect row = CGRectMake(b.origin.x + kEdgeMargin, b.origin.y + (b.size.height - height) / 2,
                                std::max(0.0, b.size.width - 2 * kEdgeMargin), height);
  arranger_.place(this, items_, row, false);
  arranger_.finish(this);
}
