#include "uikit/UIBarItem.h"

OBJC_CLASS_WITH_MEMBERS(UIBarItem, NSObject)

void UIBarItem::registerMembers(Class cls) {
  class_addProperty(cls, "title", &UIBarItem::setTitle);
  class_addProperty(cls, "enabled", &UIBarItem::setEnabled);
  class_addProperty(cls, "tag", &UIBarItem::setTag);
  class_addProperty(cls, "accessibilityIdentifier", &UIBarItem::setAccessibilityIdentifier);
}

void UIBarItem::setTitle(const std::string& title) {
  if (title == title_) return;
  title_ = title;
  itemDidChange();
}

void UIBarItem::setImage(UIImage* image) {
  image_ = Ref<UIImage>(image);
  itemDidChange();
}

void UIBarItem::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  itemDidChange();
}

void UIBarItem::setAccessibilityIdentifier(const std::string& name) {
  accessibilityIdentifier_ = name;
  itemDidChange();
}
