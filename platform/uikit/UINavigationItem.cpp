#include "uikit/UINavigationItem.h"

#include "uikit/UIView.h"

OBJC_CLASS_WITH_MEMBERS(UINavigationItem, NSObject)

void UINavigationItem::registerMembers(Class cls) {
  class_addProperty(cls, "title", &UINavigationItem::setTitle);
  class_addProperty(cls, "hidesBackButton", &UINavigationItem::setHidesBackButton);
  class_addProperty(cls, "accessibilityIdentifier", &UINavigationItem::setAccessibilityIdentifier);
  class_addObjectList(cls, "leftBarButtonItems", &UINavigationItem::setLeftBarButtonItems);
  class_addObjectList(cls, "rightBarButtonItems", &UINavigationItem::setRightBarButtonItems);
}

// The bar lays its items out again (a title's width moves the space left for the items too).
void UINavigationItem::changed() {
  if (UIView* bar = bar_.get()) bar->setNeedsLayout();
}

void UINavigationItem::setTitle(const std::string& title) {
  if (title == title_) return;
  title_ = title;
  changed();
}

void UINavigationItem::setLeftBarButtonItems(const std::vector<Ref<UIBarButtonItem>>& items) {
  left_ = items;
  changed();
}

void UINavigationItem::setRightBarButtonItems(const std::vector<Ref<UIBarButtonItem>>& items) {
  right_ = items;
  changed();
}

void UINavigationItem::setLeftBarButtonItem(UIBarButtonItem* item) {
  setLeftBarButtonItems(item ? std::vector<Ref<UIBarButtonItem>>{Ref<UIBarButtonItem>(item)} : std::vector<Ref<UIBarButtonItem>>{});
}

void UINavigationItem::setRightBarButtonItem(UIBarButtonItem* item) {
  setRightBarButtonItems(item ? std::vector<Ref<UIBarButtonItem>>{Ref<UIBarButtonItem>(item)} : std::vector<Ref<UIBarButtonItem>>{});
}

void UINavigationItem::setHidesBackButton(bool hides) {
  hidesBackButton_ = hides;
  changed();
}
