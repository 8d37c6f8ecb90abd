// A part of a control drawn by its owner (a slider's thumb, a switch's knob, a scroll view's
// indicators). It is a view of its own so that it is drawn above the owner's content and its
// frame animates on the run loop's clock like any view's; it never takes a touch, which goes to
// the control beneath.
#pragma once

#include <functional>

#include "uikit/UIView.h"

class UIDrawnView : public UIView {
 public:
  static Class runtimeClass();  // "UIDrawnView", a subclass of "UIView"
  using Drawing = std::function<void(UIDrawnView& view, CGContext& context, CGRect rect)>;

  UIDrawnView();
  explicit UIDrawnView(Drawing drawing);

  void setDrawing(Drawing drawing);
  void drawRect(CGContext& context, CGRect rect) override;

 private:
  Drawing drawing_;
};
