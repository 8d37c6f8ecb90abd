// The value types UIKit adds to those a layout file can give a property: colours, rectangles and
// sizes, each written as a string.
//   colour     "#RRGGBB", "#RRGGBBAA", or a named colour: "clear", "white", "black", "gray",
//              "lightGray", "darkGray", "red", "systemBlue", "groupTableViewBackground"
//   rectangle  "{{x, y}, {width, height}}"
//   size       "{width, height}"
#pragma once

#include "coregraphics/CGGeometry.h"
#include "objc/ClassMembers.h"
#include "uikit/UIColor.h"

namespace objc_detail {

template <>
struct Property<UIColor*> {
  using Holder = Ref<UIColor>;
  static bool from(const NSObject* value, Ref<UIColor>& out);
  static const char* expected() { return "a colour (\"#RRGGBB\", \"#RRGGBBAA\" or a colour name)"; }
};

template <>
struct Property<CGRect> {
  static bool from(const NSObject* value, CGRect& out);
  static const char* expected() { return "a rectangle \"{{x, y}, {width, height}}\""; }
};

template <>
struct Property<CGSize> {
  static bool from(const NSObject* value, CGSize& out);
  static const char* expected() { return "a size \"{width, height}\""; }
};

}  // namespace objc_detail
