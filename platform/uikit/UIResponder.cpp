#include "uikit/UIResponder.h"

#include "uikit/UIApplication.h"

OBJC_CLASS(UIResponder, NSObject)

bool UIResponder::isFirstResponder() const {
  return UIApplication::sharedApplication()->firstResponder() == this;
}

bool UIResponder::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder()) return false;
  UIApplication* app = UIApplication::sharedApplication();
  if (UIResponder* current = app->firstResponder())
    if (!current->resignFirstResponder()) return false;
  app->setFirstResponder(this);
  return true;
}

bool UIResponder::resignFirstResponder() {
  if (!isFirstResponder()) return true;
  if (!canResignFirstResponder()) return false;
  UIApplication::sharedApplication()->setFirstResponder(nullptr);
  didResignFirstResponder();
  return true;
}

void UIResponder::touchesBegan(const std::set<UITouch*>& touches, UIEvent* event) {
  if (UIResponder* next = nextResponder()) next->touchesBegan(touches, event);
}
void UIResponder::touchesMoved(const std::set<UITouch*>& touches, UIEvent* event) {
  if (UIResponder* next = nextResponder()) next->touchesMoved(touches, event);
}
void UIResponder::touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) {
  if (UIResponder* next = nextResponder()) next->touchesEnded(touches, event);
}
void UIResponder::touchesCancelled(const std::set<UITouch*>& touches, UIEvent* event) {
  if (UIResponder* next = nextResponder()) next->touchesCancelled(touches, event);
}
