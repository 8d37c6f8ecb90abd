#include "uikit/UIColor.h"

OBJC_CLASS(UIColor, NSObject)

namespace {
UIColor* shared(double r, double g, double b, double a) {
  return make<UIColor>(r, g, b, a).detach();  // never released
}
}  // namespace

Ref<UIColor> UIColor::colorWithRed(double red, double green, double blue, double alpha) {
  return make<UIColor>(red, green, blue, alpha);
}
Ref<UIColor> UIColor::colorWithWhite(double white, double alpha) { return make<UIColor>(white, white, white, alpha); }

UIColor* UIColor::clearColor() {
  static UIColor* c = shared(0, 0, 0, 0);
  return c;
}
UIColor* UIColor::blackColor() {
  static UIColor* c = shared(0, 0, 0, 1);
  return c;
}
UIColor* UIColor::whiteColor() {
  static UIColor* c = shared(1, 1, 1, 1);
  return c;
}
UIColor* UIColor::darkGrayColor() {
  static UIColor* c = shared(1 / 3.0, 1 / 3.0, 1 / 3.0, 1);
  return c;
}
UIColor* UIColor::grayColor() {
  static UIColor* c = shared(0.5, 0.5, 0.5, 1);
  return c;
}
UIColor* UIColor::lightGrayColor() {
  static UIColor* c = shared(2 / 3.0, 2 / 3.0, 2 / 3.0, 1);
  return c;
}
UIColor* UIColor::redColor() {
  static UIColor* c = shared(1, 0, 0, 1);
  return c;
}
UIColor* UIColor::groupTableViewBackgroundColor() {
  static UIColor* c = shared(0.937, 0.937, 0.957, 1);
  return c;
}
UIColor* UIColor::systemBlueColor() {
  static UIColor* c = shared(0, 122 / 255.0, 1, 1);
  return c;
}

bool UIColor::getRed(double* red, double* green, double* blue, double* alpha) const {
  if (red) *red = red_;
  if (green) *green = green_;
  if (blue) *blue = blue_;
  if (alpha) *alpha = alpha_;
  return true;
}

Ref<UIColor> UIColor::colorWithAlphaComponent(double alpha) const { return make<UIColor>(red_, green_, blue_, alpha); }

bool UIColor::isEqual(const UIColor& other) const {
  return red_ == other.red_ && green_ == other.green_ && blue_ == other.blue_ && alpha_ == other.alpha_;
}
