// A bar of buttons, usually along the bottom of the screen, whose material is a real blur of
// what lies behind it, tinted: white-ish for the default style, dark for the black style, or the
// bar tint colour. Opaque when not translucent. Stretched over a whole screen it is a frosted
// glass backdrop.
//
// Its items are bar button items, laid out left to right; flexible spaces share the room the
// others leave. Each item shows as a real button, so it is hit-tested and tapped as one.
#pragma once

#include <vector>

#include "uikit/UIBarButtonItem.h"
#include "uikit/UIBarItemArranger.h"
#include "uikit/UIBarMaterial.h"
#include "uikit/UIView.h"

class UIToolbar : public UIView {
 public:
  static Class runtimeClass();  // "UIToolbar", a subclass of "UIView"
  static void registerMembers(Class cls);
  UIToolbar() = default;
  explicit UIToolbar(CGRect frame) : UIView(frame) {}

  const std::vector<Ref<UIBarButtonItem>>& items() const { return items_; }
  void setItems(const std::vector<Ref<UIBarButtonItem>>& items);
  // The items change at once; a bar's items are not animated here.
  void setItemsAnimated(const std::vector<Ref<UIBarButtonItem>>& items, bool) { setItems(items); }

  NSInteger barStyle() const { return barStyle_; }
  void setBarStyle(NSInteger style);
  // The bar's colour; nil (or clear) for the bar style's own.
  UIColor* barTintColor() const { return barTintColor_.get(); }
  void setBarTintColor(UIColor* color);
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent);

  void drawRect(CGContext& context, CGRect rect) override;
  CGBlurCache* blurCache() override { return translucent_ ? &blurCache_ : nullptr; }
  void layoutSubviews() override;
  CGSize sizeThatFits(CGSize size) const override { return CGSizeMake(size.width, 44); }

 private:
  std::vector<Ref<UIBarButtonItem>> items_;
  NSInteger barStyle_ = UIBarStyleDefault;
  Ref<UIColor> barTintColor_;
  bool translucent_ = true;
  CGBlurCache blurCache_;
  UIBarItemArranger arranger_;
};
