// A slider: a value between a minimum and a maximum, chosen by dragging a thumb along a track.
//
// As on the platform, tracking starts only on the thumb (a touch on the track elsewhere does
// nothing); the thumb answers to a touch within a generous area about 44 points tall, reaching
// beyond the slider's bounds if need be. While it is dragged the value follows the finger,
// clamped to the range, and a continuous slider sends value-changed on every move that changes
// it; one that is not continuous sends it once when the finger lifts, if the value changed.
// Setting the value from code sends no action; value observers hear of every change, however
// it came (a drag, code, a new range that clamps it).
//
// iOS 7 look: a 2-point track, tint-coloured left of the thumb and light grey right of it, and
// a white round thumb with a soft grey edge and shadow.
#pragma once

#include <functional>
#include <vector>

#include "uikit/UIControl.h"
#include "uikit/UIDrawnView.h"

class UISlider : public UIControl {
 public:
  static Class runtimeClass();  // "UISlider", a subclass of "UIControl"
  static void registerMembers(Class cls);
  UISlider();
  explicit UISlider(CGRect frame);

  float value() const { return value_; }
  // Clamped to the range; `animated` moves the thumb there on the run loop's clock.
  void setValue(float value, bool animated);
  void setValue(float value) { setValue(value, false); }
  float minimumValue() const { return minimum_; }
  // A minimum above the maximum raises the maximum to it (and the other way round); the value
  // is clamped to the new range.
  void setMinimumValue(float minimum);
  float maximumValue() const { return maximum_; }
  void setMaximumValue(float maximum);
  bool isContinuous() const { return continuous_; }
  void setContinuous(bool continuous) { continuous_ = continuous; }

  // Called with the new value after every change of it, in the order added: what shows the
  // value elsewhere (a read-out) stays current without the control's actions, which code does
  // not send.
  using ValueObserver = std::function<void(float value)>;
  void addValueObserver(ValueObserver observer) { valueObservers_.push_back(std::move(observer)); }

  // nil: the tint colour on the left, light grey on the right, white for the thumb.
  UIColor* minimumTrackTintColor() const { return minimumTrackTint_.get(); }
  void setMinimumTrackTintColor(UIColor* color);
  UIColor* maximumTrackTintColor() const { return maximumTrackTint_.get(); }
  void setMaximumTrackTintColor(UIColor* color);
  UIColor* thumbTintColor() const { return thumbTint_.get(); }
  void setThumbTintColor(UIColor* color);

  // Geometry in the slider's bounds: where the thumb sits for a value, and the whole track.
  CGRect trackRectForBounds(CGRect bounds) const;
  CGRect thumbRectForBounds(CGRect bounds, CGRect trackRect, float value) const;

  bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  bool continueTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void cancelTrackingWithEvent(UIEvent* event) override;
  bool pointInside(CGPoint point, UIEvent* event) const override;
  void setEnabled(bool enabled) override;

  void layoutSubviews() override;
  void drawRect(CGContext& context, CGRect rect) override;
  CGSize sizeThatFits(CGSize size) const override;

 private:
  void placeThumb();
  void tellValueObservers();
  float valueForTouch(UITouch* touch) const;
  // The area that starts a drag: the thumb, grown to at least 44 points each way.
  CGRect thumbHitRect() const;
  static void drawThumb(UIDrawnView& view, CGContext& context, CGRect rect);

  float value_ = 0, minimum_ = 0, maximum_ = 1;
  bool continuous_ = true;
  float valueAtTrackingStart_ = 0;
  double grabOffset_ = 0;  // from the thumb's centre to the finger, kept while dragging
  Ref<UIColor> minimumTrackTint_, maximumTrackTint_, thumbTint_;
  Ref<UIDrawnView> thumb_;
  std::vector<ValueObserver> valueObservers_;
};
