#include "uikit/UIKitPropertyTypes.h"

#include <cstdlib>
#include <map>

#include "foundation/NSString.h"

namespace objc_detail {
namespace {

const std::string* textOf(const NSObject* value) {
  const auto* s = dynamic_cast<const NSString*>(value);
  return s ? &s->string() : nullptr;
}

UIColor* namedColor(const std::string& name) {
  static const std::map<std::string, UIColor* (*)()> names = {
      {"clear", &UIColor::clearColor},       {"white", &UIColor::whiteColor},
      {"black", &UIColor::blackColor},       {"gray", &UIColor::grayColor},
      {"lightGray", &UIColor::lightGrayColor}, {"darkGray", &UIColor::darkGrayColor},
      {"red", &UIColor::redColor},           {"systemBlue", &UIColor::systemBlueColor},
      {"groupTableViewBackground", &UIColor::groupTableViewBackgroundColor},
  };
  auto it = names.find(name);
  return it == names.end() ? nullptr : it->second();
}

}  // namespace

bool Property<UIColor*>::from(const NSObject* value, Ref<UIColor>& out) {
  const std::string* text = textOf(value);
  if (text == nullptr) return false;
  if (UIColor* named = namedColor(*text)) {
    out = Ref<UIColor>(named);
    return true;
  }
  if ((text->size() != 7 && text->size() != 9) || (*text)[0] != '#') return false;
  for (size_t i = 1; i < text->size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>((*text)[i]))) return false;
  const unsigned long v = std::strtoul(text->c_str() + 1, nullptr, 16);
  const bool hasAlpha = text->size() == 9;
  const unsigned long rgb = hasAlpha ? v >> 8 : v;
  const double a = hasAlpha ? double(v & 0xff) / 255 : 1.0;
  out = UIColor::colorWithRed(double((rgb >> 16) & 0xff) / 255, double((rgb >> 8) & 0xff) / 255,
                              double(rgb & 0xff) / 255, a);
  return true;
}

bool Property<CGRect>::from(const NSObject* value, CGRect& out) {
  const std::string* text = textOf(value);
  return text != nullptr && CGRectFromString(*text, out);
}

bool Property<CGSize>::from(const NSObject* value, CGSize& out) {
  const std::string* text = textOf(value);
  return text != nullptr && CGSizeFromString(*text, out);
}

}  // namespace objc_detail
