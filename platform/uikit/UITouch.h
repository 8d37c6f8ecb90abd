// One finger on the screen: where it is, where it was, in which phase, and the view it began in
// (which keeps the whole touch, wherever the finger goes).
#pragma once

#include "coregraphics/CGGeometry.h"
#include "objc/runtime.h"

class UIView;
class UIWindow;

enum class UITouchPhase { Began, Moved, Stationary, Ended, Cancelled };

class UITouch : public NSObject {
 public:
  static Class runtimeClass();  // "UITouch"

  UITouchPhase phase() const { return phase_; }
  UIView* view() const { return view_.get(); }
  UIWindow* window() const { return window_.get(); }
  double timestamp() const { return timestamp_; }
  int tapCount() const { return tapCount_; }
  // The location in `view`'s coordinates (nil: the window's).
  CGPoint locationInView(const UIView* view) const;
  CGPoint previousLocationInView(const UIView* view) const;

  // Set by the window as the touch goes on.
  void setPhase(UITouchPhase phase) { phase_ = phase; }
  void setView(UIView* view);
  void setWindow(UIWindow* window);
  void moveTo(CGPoint locationInWindow, double timestamp);
  void setTapCount(int count) { tapCount_ = count; }

 private:
  UITouchPhase phase_ = UITouchPhase::Began;
  Ref<UIView> view_;
  Ref<UIWindow> window_;
  CGPoint location_{}, previous_{};  // in the window
  double timestamp_ = 0;
  int tapCount_ = 1;
};
