// A control showing an image or a title per control state.
#pragma once

#include <map>
#include <string>

#include "uikit/UIControl.h"
#include "uikit/UIImage.h"

class UIButton : public UIControl {
 public:
  static Class runtimeClass();  // "UIButton", a subclass of "UIControl"
  UIButton();

  void setImageForState(UIImage* image, UIControlState state);  // nil removes it
  UIImage* imageForState(UIControlState state) const;
  void setTitleForState(const std::string& title, UIControlState state);
  std::string titleForState(UIControlState state) const;  // empty if none

  // A tap: the touch-up-inside actions run.
  void tap() { sendActionsForControlEvents(UIControlEventTouchUpInside); }

 private:
  std::map<UIControlState, Ref<UIImage>> images_;
  std::map<UIControlState, std::string> titles_;
};
