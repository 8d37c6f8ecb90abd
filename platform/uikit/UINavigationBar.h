// The bar along the top of a screen: the iOS 7 bar (frosted white, or dark for the black style,
// or the bar tint colour) with a hairline at its bottom, the top navigation item's title bold
// and centred, and that item's bar button items at its left and right as real buttons in the
// tint colour. With an item below the top one (and no left items on top) a back button with
// the lower item's title shows on the left and pops the top item when tapped.
#pragma once

#include <string>
#include <vector>

#include "uikit/UIBarItemArranger.h"
#include "uikit/UIBarMaterial.h"
#include "uikit/UINavigationItem.h"
#include "uikit/UIView.h"

class UIButton;

class UINavigationBar : public UIView {
 public:
  static Class runtimeClass();  // "UINavigationBar", a subclass of "UIView"
  static void registerMembers(Class cls);
  UINavigationBar() = default;
  explicit UINavigationBar(CGRect frame) : UIView(frame) {}

  // The stack of items, bottom first; the last is the one shown.
  const std::vector<Ref<UINavigationItem>>& items() const { return items_; }
  void setItems(const std::vector<Ref<UINavigationItem>>& items);
  void setItemsAnimated(const std::vector<Ref<UINavigationItem>>& items, bool) { setItems(items); }
  UINavigationItem* topItem() const { return items_.empty() ? nullptr : items_.back().get(); }
  UINavigationItem* backItem() const { return items_.size() < 2 ? nullptr : items_[items_.size() - 2].get(); }
  void pushNavigationItem(UINavigationItem* item, bool animated);
  // Takes the top item off the stack and answers it (nil when the stack is empty).
  Ref<UINavigationItem> popNavigationItemAnimated(bool animated);

  NSInteger barStyle() const { return barStyle_; }
  void setBarStyle(NSInteger style);
  // The bar's colour; nil (or clear) for the bar style's own.
  UIColor* barTintColor() const { return barTintColor_.get(); }
  void setBarTintColor(UIColor* color);
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent);

  // The back button while one shows (for tests and tools), else nil.
  UIButton* backButton() const;

  void drawRect(CGContext& context, CGRect rect) override;
  CGBlurCache* blurCache() override { return translucent_ ? &blurCache_ : nullptr; }
  void layoutSubviews() override;
  CGSize sizeThatFits(CGSize size) const override { return CGSizeMake(size.width, 44); }

 private:
  static void backButtonTapped(id self, SEL, id sender);
  void attachItem(UINavigationItem* item);
  void detachItem(UINavigationItem* item);
  CGRect itemRow() const;

  std::vector<Ref<UINavigationItem>> items_;
  NSInteger barStyle_ = UIBarStyleDefault;
  Ref<UIColor> barTintColor_;
  bool translucent_ = true;
  CGBlurCache blurCache_;
  UIBarItemArranger arranger_;
  Ref<UIButton> backButton_;
  // Where the title may go, between the left and right items (from the last layout).
  double titleLeft_ = 0, titleRight_ = 0;
};
