// A view that shows the system's blurred, translucent bar material behind its other subviews.
// The material comes from a UIToolbar in a clipped container at the very back of the view; the
// container is hidden from callers that list or reorder the view's subviews, so they see the
// view as if the backdrop were not there. Built only on systems from 7.0 on (earlier ones have
// no such material): there every override acts as the plain view.
#pragma once

#include "uikit/UIColor.h"
#include "uikit/UIToolbar.h"
#include "uikit/UIView.h"

namespace lowtide {

class HazeTranslucentView : public UIView {
 public:
  static Class runtimeClass();  // "HazeTranslucentView", a subclass of "UIView"

  HazeTranslucentView();                     // initWithCoder: (a layout's), then createUI
  explicit HazeTranslucentView(CGRect frame);  // initWithFrame:, then createUI
  // Builds the backdrop, on systems whose version compares as at least "7.0".
  void createUI();
  // True when all four components are exactly 0 (components that cannot be read count as 0).
  static bool isItClearColor(const UIColor* color);

  void setFrame(CGRect frame) override;
  void setBounds(CGRect bounds) override;
  void setBackgroundColor(UIColor* color) override;
  std::vector<Ref<UIView>> subviews() const override;
  void sendSubviewToBack(UIView* view) override;
  void insertSubviewAtIndex(UIView* view, NSInteger index) override;
  void exchangeSubviewAtIndex(NSInteger index1, NSInteger index2) override;

  bool translucent() const { return translucent_; }
  void setTranslucent(bool translucent);
  CGFloat translucentAlpha() const { return translucentAlpha_; }
  void setTranslucentAlpha(CGFloat alpha);
  NSInteger translucentStyle() const;
  void setTranslucentStyle(NSInteger style);
  UIColor* translucentTintColor() const { return translucentTintColor_.get(); }
  void setTranslucentTintColor(UIColor* color);
  UIColor* hazeColorBG() const { return hazeColorBG_.get(); }
  void setHazeColorBG(UIColor* color) { hazeColorBG_ = Ref<UIColor>(color); }
  UIColor* hazeDefaultColorBG() const { return hazeDefaultColorBG_.get(); }
  void setHazeDefaultColorBG(UIColor* color) { hazeDefaultColorBG_ = Ref<UIColor>(color); }

  // Fields, in declared order.
  Ref<UIView> nonexistentSubview;
  Ref<UIView> toolbarContainerClipView;
  Ref<UIToolbar> toolBarBG;
  Ref<UIView> overlayBackgroundView;
  bool initComplete = false;

 private:
  void keepClipViewAtOrigin();

  bool translucent_ = false;
  CGFloat translucentAlpha_ = 0;
  Ref<UIColor> translucentTintColor_;
  Ref<UIColor> hazeColorBG_;  // colours are immutable: a copy is the same colour
  Ref<UIColor> hazeDefaultColorBG_;
};

// Whether the device's system version compares, numerically, as at least `version`.
bool systemVersionAtLeast(const char* version);

}  // namespace lowtide
