// A font: the system font (Nimbus Sans, with Helvetica's metrics, stands for it) in regular or bold, at a size in points.
// Fonts are shared objects, one per size and weight, that live as long as the process.
#pragma once

#include <string>

#include "coregraphics/CGContext.h"
#include "objc/runtime.h"

class UIFont : public NSObject {
 public:
  static Class runtimeClass();  // "UIFont"
  static UIFont* systemFontOfSize(double size);
  static UIFont* boldSystemFontOfSize(double size);
  // "HelveticaNeue" and the like: the weight is taken from the name ("Bold", "Medium" are
  // bold); every family is drawn in the system font.
  static UIFont* fontWithName(const std::string& name, double size);

  double pointSize() const { return font_.size; }
  bool isBold() const { return font_.bold; }
  const CGFontSpec& cgFont() const { return font_; }
  // The height of one line of text in this font.
  double lineHeight() const;

  explicit UIFont(CGFontSpec font) : font_(font) {}

 private:
  CGFontSpec font_;
};
