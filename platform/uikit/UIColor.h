// A colour as red, green, blue and alpha components between 0 and 1.
#pragma once

#include "objc/NSObject.h"

class UIColor : public NSObject {
 public:
  UIColor(double red, double green, double blue, double alpha)
      : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

  static Ref<UIColor> colorWithRed(double red, double green, double blue, double alpha);
  static Ref<UIColor> clearColor();
  static Ref<UIColor> blackColor();
  static Ref<UIColor> whiteColor();

  double red() const { return red_; }
  double green() const { return green_; }
  double blue() const { return blue_; }
  double alpha() const { return alpha_; }
  bool isEqual(const UIColor& other) const;

 private:
  double red_, green_, blue_, alpha_;
};
