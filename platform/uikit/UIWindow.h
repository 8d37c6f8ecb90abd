// The view at the top of the player's view tree.
#pragma once

#include "uikit/UIView.h"

class UIWindow : public UIView {
 public:
  static Class runtimeClass();  // "UIWindow", a subclass of "UIView"
  UIWindow();
  explicit UIWindow(CGRect frame);
};
