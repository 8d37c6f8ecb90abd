// What a navigation bar shows for one level of navigation: a title in the middle, and bar
// button items on its left and right. Not a view: the bar that shows it draws the title and
// lays the items out, and hears of every change so it shows on its next draw.
#pragma once

#include <string>
#include <vector>

#include "uikit/UIBarButtonItem.h"

class UIView;

class UINavigationItem : public NSObject {
 public:
  static Class runtimeClass();  // "UINavigationItem"
  static void registerMembers(Class cls);
  UINavigationItem() = default;
  explicit UINavigationItem(const std::string& title) : title_(title) {}  // initWithTitle:

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);

  const std::vector<Ref<UIBarButtonItem>>& leftBarButtonItems() const { return left_; }
  void setLeftBarButtonItems(const std::vector<Ref<UIBarButtonItem>>& items);
  const std::vector<Ref<UIBarButtonItem>>& rightBarButtonItems() const { return right_; }
  void setRightBarButtonItems(const std::vector<Ref<UIBarButtonItem>>& items);
  // The first of each side's items; setting one replaces that side's items (nil: none).
  UIBarButtonItem* leftBarButtonItem() const { return left_.empty() ? nullptr : left_.front().get(); }
  void setLeftBarButtonItem(UIBarButtonItem* item);
  UIBarButtonItem* rightBarButtonItem() const { return right_.empty() ? nullptr : right_.front().get(); }
  void setRightBarButtonItem(UIBarButtonItem* item);
  // Whether the bar leaves out the back button while this item is on top.
  bool hidesBackButton() const { return hidesBackButton_; }
  void setHidesBackButton(bool hides);

  const std::string& accessibilityIdentifier() const { return accessibilityIdentifier_; }
  void setAccessibilityIdentifier(const std::string& name) { accessibilityIdentifier_ = name; }

  // The bar showing the item, set by the bar: told of every change.
  void setNavigationBar(UIView* bar) { bar_ = Weak<UIView>(bar); }
  UIView* navigationBar() const { return bar_.get(); }

 private:
  void changed();

  std::string title_;
  std::vector<Ref<UIBarButtonItem>> left_, right_;
  bool hidesBackButton_ = false;
  std::string accessibilityIdentifier_;
  Weak<UIView> bar_;
};
