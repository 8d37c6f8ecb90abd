#include "uikit/UIApplication.h"

#include "foundation/NSRunLoop.h"
#include "uikit/UIEvent.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

OBJC_CLASS(UIApplication, UIResponder)

UIApplication* UIApplication::sharedApplication() {
  static UIApplication* app = make<UIApplication>().detach();  // lives as long as the process
  return app;
}

void UIApplication::setKeyWindow(UIWindow* window) { keyWindow_ = Weak<UIWindow>(window); }

void UIApplication::sendEvent(UIEvent* event) {
  if (event == nullptr) return;
  for (UITouch* touch : event->allTouches())
    if (UIWindow* window = touch->window()) window->sendEvent(event);
}

bool UIApplication::sendAction(SEL action, id target, id sender, UIEvent* event) {
  if (target == nullptr) {
    const UIResponder* start = firstResponder();
    if (start == nullptr) start = dynamic_cast<const UIResponder*>(sender);
    for (const UIResponder* r = start; r != nullptr; r = r->nextResponder())
      if (class_respondsToAction(r->isa, action)) {
        target = const_cast<UIResponder*>(r);
        break;
      }
    if (target == nullptr) return false;
  }
  Ref<NSObject> keep(target);
  objc_sendAction(target, action, sender, event);
  return true;
}

UIView* UIApplication::handleTouch(UITouchPhase phase, CGPoint location) {
  UIWindow* window = keyWindow();
  const double now = NSRunLoop::mainRunLoop()->currentTime();
  if (phase == UITouchPhase::Began) {
    if (touch_) handleTouch(UITouchPhase::Cancelled, location);
    if (window == nullptr) return nullptr;
    touch_ = make<UITouch>();
    touch_->setWindow(window);
    touch_->moveTo(location, now);
    touch_->moveTo(location, now);
  } else {
    if (!touch_) return nullptr;
    touch_->moveTo(location, now);
  }
  Ref<UITouch> touch = touch_;
  touch->setPhase(phase);
  if (phase == UITouchPhase::Ended || phase == UITouchPhase::Cancelled) touch_ = nullptr;
  Ref<UIEvent> event = make<UIEvent>();
  event->setTouch(touch.get(), now);
  sendEvent(event.get());
  UIView* hit = touch->view();
  objc_autoreleasePoolDrain();  // the end of the event
  return hit;
}

namespace {
UIKeyInput* keyInput() { return dynamic_cast<UIKeyInput*>(UIApplication::sharedApplication()->firstResponder()); }
}  // namespace

bool UIApplication::handleKeyText(const std::string& text) {
  UIKeyInput* input = keyInput();
  if (input == nullptr) return false;
  Ref<UIResponder> keep(firstResponder());
  input->insertText(text);
  objc_autoreleasePoolDrain();
  return true;
}

bool UIApplication::handleKeyBackspace() {
  UIKeyInput* input = keyInput();
  if (input == nullptr) return false;
  Ref<UIResponder> keep(firstResponder());
  input->deleteBackward();
  objc_autoreleasePoolDrain();
  return true;
}

bool UIApplication::handleKeyReturn() { return handleKeyText("\n"); }

bool UIApplication::handleKeyCaret(UITextCaretMove move) {
  auto* input = dynamic_cast<UITextInput*>(firstResponder());
  if (input == nullptr) return false;
  input->moveCaret(move);
  return true;
}
