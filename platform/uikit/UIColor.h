// A colour as red, green, blue and alpha components between 0 and 1. The named colours are
// shared objects that live as long as the process, as on the platform.
#pragma once

#include "coregraphics/CGColor.h"
#include "objc/runtime.h"

class UIColor : public NSObject {
 public:
  static Class runtimeClass();  // "UIColor"
  UIColor(double red, double green, double blue, double alpha)
      : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

  static Ref<UIColor> colorWithRed(double red, double green, double blue, double alpha);
  static Ref<UIColor> colorWithWhite(double white, double alpha);
  static UIColor* clearColor();
  static UIColor* blackColor();
  static UIColor* whiteColor();
  static UIColor* darkGrayColor();
  static UIColor* grayColor();
  static UIColor* lightGrayColor();
  static UIColor* redColor();
  static UIColor* groupTableViewBackgroundColor();
  // The system's tint: the blue of buttons, switches and sliders.
  static UIColor* systemBlueColor();

  double red() const { return red_; }
  double green() const { return green_; }
  double blue() const { return blue_; }
  double alpha() const { return alpha_; }
  // The four components; false when they cannot be read (never, for these colours).
  bool getRed(double* red, double* green, double* blue, double* alpha) const;
  Ref<UIColor> colorWithAlphaComponent(double alpha) const;
  CGColor cgColor() const { return CGColor{red_, green_, blue_, alpha_}; }
  bool isEqual(const UIColor& other) const;

 private:
  double red_, green_, blue_, alpha_;
};
