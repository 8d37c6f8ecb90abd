// The application object: the key window, the first responder, and the one door through which
// the system's input enters: touches from the screen (a window's mouse, a script's steps and
// tests all come in here) and key presses for the first responder.
#pragma once

#include <string>

#include "coregraphics/CGGeometry.h"
#include "objc/runtime.h"
#include "uikit/UIResponder.h"
#include "uikit/UITouch.h"

class UIWindow;
class UIEvent;

class UIApplication : public UIResponder {
 public:
  static Class runtimeClass();  // "UIApplication"
  static UIApplication* sharedApplication();

  UIWindow* keyWindow() const { return keyWindow_.get(); }
  void setKeyWindow(UIWindow* window);  // by UIWindow::makeKeyAndVisible

  // Delivers a touch event to the window of its touches.
  void sendEvent(UIEvent* event);
  // Sends an action as a control does: to `target`, or with a nil target to the first object up
  // the responder chain from the first responder (else from `sender`) that answers it.
  bool sendAction(SEL action, id target, id sender, UIEvent* event);

  UIResponder* firstResponder() const { return firstResponder_.get(); }
  void setFirstResponder(UIResponder* responder) { firstResponder_ = Weak<UIResponder>(responder); }

  // Input from the system. One finger: a touch begins at a point of the key window, moves and
  // ends; a new Began while a touch is down cancels the old one first. The time is the main run
  // loop's clock. Answers the view that holds the touch (nil when nothing was hit).
  UIView* handleTouch(UITouchPhase phase, CGPoint locationInWindow);
  // Keys: text typed, Backspace and Return, for the first responder if it takes text.
  // Answers whether a responder took the key.
  bool handleKeyText(const std::string& text);
  bool handleKeyBackspace();
  bool handleKeyReturn();
  bool handleKeyCaret(UITextCaretMove move);  // false when no text being edited has the keyboard

 private:
  Weak<UIWindow> keyWindow_;
  Weak<UIResponder> firstResponder_;
  Ref<UITouch> touch_;  // the finger that is down, if any
};
