#include "uikit/UIFont.h"

#include <map>
#include <utility>

OBJC_CLASS(UIFont, NSObject)

namespace {
UIFont* sharedFont(double size, bool bold) {
  static auto* fonts = new std::map<std::pair<double, bool>, UIFont*>;
  UIFont*& font = (*fonts)[{size, bold}];
  if (font == nullptr) font = make<UIFont>(CGFontSpec{size, bold}).detach();
  return font;
}
}  // namespace

UIFont* UIFont::systemFontOfSize(double size) { return sharedFont(size, false); }
UIFont* UIFont::boldSystemFontOfSize(double size) { return sharedFont(size, true); }

UIFont* UIFont::fontWithName(const std::string& name, double size) {
  const bool bold = name.find("Bold") != std::string::npos || name.find("Medium") != std::string::npos;
  return sharedFont(size, bold);
}

double UIFont::lineHeight() const {
  return CGTextMeasure("Ag", font_, 0, CGLineBreak::Clip, 1).height;
}
