// A touch event: the touches taking part and when it happened.
#pragma once

#include <set>

#include "objc/runtime.h"
#include "uikit/UITouch.h"

enum class UIEventType { Touches, Presses };

class UIEvent : public NSObject {
 public:
  static Class runtimeClass();  // "UIEvent"

  UIEventType type() const { return UIEventType::Touches; }
  double timestamp() const { return timestamp_; }
  std::set<UITouch*> allTouches() const;

  void setTouch(UITouch* touch, double timestamp);

 private:
  Ref<UITouch> touch_;
  double timestamp_ = 0;
};
