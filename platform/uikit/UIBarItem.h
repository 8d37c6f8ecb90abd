// What a bar shows one of: a title or an image, enabled or not, a tag, and a name that tests
// and scripts find it by. Not a view: a bar makes the view that shows it.
#pragma once

#include <string>

#include "objc/ClassMembers.h"
#include "objc/runtime.h"
#include "uikit/UIImage.h"

class UIBarItem : public NSObject {
 public:
  static Class runtimeClass();  // "UIBarItem"
  static void registerMembers(Class cls);
  UIBarItem() = default;

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  UIImage* image() const { return image_.get(); }
  void setImage(UIImage* image);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  NSInteger tag() const { return tag_; }
  void setTag(NSInteger tag) { tag_ = tag; }
  const std::string& accessibilityIdentifier() const { return accessibilityIdentifier_; }
  void setAccessibilityIdentifier(const std::string& name);

 protected:
  // Called after anything the bar shows changed, so the view showing the item can follow.
  virtual void itemDidChange() {}

 private:
  std::string title_;
  Ref<UIImage> image_;
  bool enabled_ = true;
  NSInteger tag_ = 0;
  std::string accessibilityIdentifier_;
};
