#include "uikit/UIColor.h"

Ref<UIColor> UIColor::colorWithRed(double red, double green, double blue, double alpha) {
  return make<UIColor>(red, green, blue, alpha);
}
Ref<UIColor> UIColor::clearColor() { return make<UIColor>(0, 0, 0, 0); }
Ref<UIColor> UIColor::blackColor() { return make<UIColor>(0, 0, 0, 1); }
Ref<UIColor> UIColor::whiteColor() { return make<UIColor>(1, 1, 1, 1); }

bool UIColor::isEqual(const UIColor& other) const {
  return red_ == other.red_ && green_ == other.green_ && blue_ == other.blue_ &&
         alpha_ == other.alpha_;
}
