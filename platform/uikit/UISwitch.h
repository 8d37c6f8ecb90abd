// An on/off switch of the platform's fixed size, 51 x 31 points (a frame keeps its origin and
// takes that size).
//
// A tap (a touch down and up inside) toggles it; dragging the knob across decides by the side
// the finger ends on. Either way the switch sends value-changed once, and only when the user
// changed it: setting it from code sends no action.
//
// iOS 7 look: a rounded track, green (#4CD964, `onTintColor`) when on, white with a light grey
// border when off, and a white knob with a soft shadow that slides across (animated) and
// stretches while pressed.
#pragma once

#include "uikit/UIControl.h"
#include "uikit/UIDrawnView.h"

class UISwitch : public UIControl {
 public:
  static Class runtimeClass();  // "UISwitch", a subclass of "UIControl"
  static void registerMembers(Class cls);
  static constexpr CGSize kSize{51, 31};
  UISwitch();
  explicit UISwitch(CGRect frame);  // initWithFrame: the origin is kept, the size is fixed

  bool isOn() const { return on_; }
  void setOn(bool on, bool animated);
  void setOn(bool on) { setOn(on, false); }

  // The track's colour when on (nil: green) and the knob's colour (nil: white).
  UIColor* onTintColor() const { return onTint_.get(); }
  void setOnTintColor(UIColor* color);
  UIColor* thumbTintColor() const { return thumbTint_.get(); }
  void setThumbTintColor(UIColor* color);

  void setFrame(CGRect frame) override;
  void setBounds(CGRect bounds) override;
  void setHighlighted(bool highlighted) override;
  void setEnabled(bool enabled) override;
  CGSize sizeThatFits(CGSize) const override { return kSize; }

  bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  bool continueTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void cancelTrackingWithEvent(UIEvent* event) override;

  void layoutSubviews() override;
  void drawRect(CGContext& context, CGRect rect) override;

 private:
  // The knob's frame for a side, wider while pressed.
  CGRect knobFrame(bool onSide) const;
  void placeKnob(bool onSide, bool animated);
  // How far the knob shows itself towards the on side, 0 to 1, as the screen shows it now.
  double presentedProgress() const;
  static void drawKnob(UIDrawnView& view, CGContext& context, CGRect rect);

  bool on_ = false;
  bool dragged_ = false;   // the finger moved the knob during this touch
  bool dragSide_ = false;  // the side the finger is on while dragging
  double touchStartX_ = 0;
  Ref<UIColor> onTint_, thumbTint_;
  Ref<UIDrawnView> knob_;
};
