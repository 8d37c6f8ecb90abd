#include "uikit/UITouch.h"

#include "uikit/UIEvent.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

OBJC_CLASS(UITouch, NSObject)
OBJC_CLASS(UIEvent, NSObject)

void UITouch::setView(UIView* view) { view_ = Ref<UIView>(view); }
void UITouch::setWindow(UIWindow* window) { window_ = Ref<UIWindow>(window); }

void UITouch::moveTo(CGPoint locationInWindow, double timestamp) {
  previous_ = location_;
  location_ = locationInWindow;
  timestamp_ = timestamp;
}

CGPoint UITouch::locationInView(const UIView* view) const {
  if (view == nullptr || !window_) return location_;
  return view->convertPointFromView(location_, window_.get());
}

CGPoint UITouch::previousLocationInView(const UIView* view) const {
  if (view == nullptr || !window_) return previous_;
  return view->convertPointFromView(previous_, window_.get());
}

std::set<UITouch*> UIEvent::allTouches() const {
  if (!touch_) return {};
  return {touch_.get()};
}

void UIEvent::setTouch(UITouch* touch, double timestamp) {
  touch_ = Ref<UITouch>(touch);
  timestamp_ = timestamp;
}
