#include "uikit/UIWindow.h"

Class UIWindow::runtimeClass() {
  static Class cls = objc_registerClass("UIWindow", UIView::runtimeClass());
  return cls;
}

UIWindow::UIWindow() { isa = runtimeClass(); }
UIWindow::UIWindow(CGRect frame) : UIView(frame) { isa = runtimeClass(); }
