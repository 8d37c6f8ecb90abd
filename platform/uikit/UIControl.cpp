#include "uikit/UIControl.h"

#include <algorithm>
#include <utility>

#include "uikit/UIApplication.h"
#include "uikit/UIEvent.h"
#include "uikit/UITouch.h"

OBJC_CLASS_WITH_MEMBERS(UIControl, UIView)

namespace {
constexpr double kTrackingMargin = 70;
}

void UIControl::registerMembers(Class cls) {
  class_addProperty(cls, "enabled", &UIControl::setEnabled);
  class_addProperty(cls, "selected", &UIControl::setSelected);
  // The events a layout may connect to its owner's actions.
  static const std::pair<const char*, UIControlEvents> events[] = {
      {"touchDown", UIControlEventTouchDown},
      {"touchUpInside", UIControlEventTouchUpInside},
      {"touchUpOutside", UIControlEventTouchUpOutside},
      {"touchCancel", UIControlEventTouchCancel},
      {"valueChanged", UIControlEventValueChanged},
      {"editingDidBegin", UIControlEventEditingDidBegin},
      {"editingChanged", UIControlEventEditingChanged},
      {"editingDidEnd", UIControlEventEditingDidEnd},
      {"editingDidEndOnExit", UIControlEventEditingDidEndOnExit},
  };
  for (const auto& entry : events) {
    const UIControlEvents event = entry.second;  // a structured binding cannot be captured by clang 14
    objc_detail::addEvent(cls, entry.first, [event](id self, id target, SEL action) {
      if (auto* control = dynamic_cast<UIControl*>(self)) control->addTarget(target, action, event);
    });
  }
}

void UIControl::addTarget(id target, SEL action, UIControlEvents events) {
  if (action == nullptr) return;
  for (Action& a : actions_)
    if (a.target.get() == target && a.nilTarget == (target == nullptr) && a.action == action) {
      a.events |= events;
      return;
    }
  actions_.push_back(Action{Weak<NSObject>(target), target == nullptr, action, events});
}

void UIControl::removeTarget(id target, SEL action, UIControlEvents events) {
  for (Action& a : actions_)
    if ((a.target.get() == target || (target == nullptr && a.nilTarget)) && (action == nullptr || a.action == action))
      a.events &= ~events;
  std::erase_if(actions_, [](const Action& a) { return a.events == 0; });
}

std::vector<SEL> UIControl::actionsForTarget(id target, UIControlEvents events) const {
  std::vector<SEL> out;
  for (const Action& a : actions_)
    if (a.target.get() == target && (a.events & events) != 0) out.push_back(a.action);
  return out;
}

void UIControl::sendAction(SEL action, id target, UIEvent* event) {
  UIApplication::sharedApplication()->sendAction(action, target, this, event);
}

void UIControl::sendActionsForControlEvents(UIControlEvents events, UIEvent* event) {
  if (!enabled_) return;
  Ref<UIControl> keep(this);
  const std::vector<Action> actions = actions_;  // an action may change the list
  for (const Action& a : actions) {
    if ((a.events & events) == 0) continue;
    if (a.nilTarget) {
      sendAction(a.action, nullptr, event);
    } else if (Ref<NSObject> target = a.target.lock()) {
      sendAction(a.action, target.get(), event);
    }
  }
}

void UIControl::setEnabled(bool enabled) {
  enabled_ = enabled;
  setNeedsDisplay();
}

void UIControl::setHighlighted(bool highlighted) {
  if (highlighted_ == highlighted) return;
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void UIControl::setSelected(bool selected) {
  selected_ = selected;
  setNeedsDisplay();
}

UIControlState UIControl::state() const {
  UIControlState s = UIControlStateNormal;
  if (highlighted_) s |= UIControlStateHighlighted;
  if (!enabled_) s |= UIControlStateDisabled;
  if (selected_) s |= UIControlStateSelected;
  return s;
}

bool UIControl::isInsideWhileTracking(CGPoint p) const {
  return CGRectContainsPoint(CGRectInset(bounds(), -kTrackingMargin, -kTrackingMargin), p);
}

bool UIControl::beginTrackingWithTouch(UITouch*, UIEvent*) { return true; }
bool UIControl::continueTrackingWithTouch(UITouch*, UIEvent*) { return true; }
void UIControl::endTrackingWithTouch(UITouch*, UIEvent*) {}
void UIControl::cancelTrackingWithEvent(UIEvent*) {}

void UIControl::touchesBegan(const std::set<UITouch*>& touches, UIEvent* event) {
  if (!enabled_ || touches.empty()) return;
  UITouch* touch = *touches.begin();
  Ref<UIControl> keep(this);
  touchInside_ = true;
  setHighlighted(true);
  tracking_ = beginTrackingWithTouch(touch, event);
  sendActionsForControlEvents(touch->tapCount() > 1 ? UIControlEventTouchDown | UIControlEventTouchDownRepeat
                                                    : UIControlEventTouchDown,
                              event);
}

void UIControl::touchesMoved(const std::set<UITouch*>& touches, UIEvent* event) {
  if (!enabled_ || touches.empty()) return;
  UITouch* touch = *touches.begin();
  Ref<UIControl> keep(this);
  const bool wasInside = touchInside_;
  touchInside_ = isInsideWhileTracking(touch->locationInView(this));
  setHighlighted(touchInside_);
  if (tracking_) tracking_ = continueTrackingWithTouch(touch, event);
  UIControlEvents events = touchInside_ ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
  if (wasInside != touchInside_) events |= touchInside_ ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit;
  sendActionsForControlEvents(events, event);
}

void UIControl::touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) {
  if (touches.empty()) return;
  UITouch* touch = *touches.begin();
  Ref<UIControl> keep(this);
  touchInside_ = isInsideWhileTracking(touch->locationInView(this));
  if (tracking_) endTrackingWithTouch(touch, event);
  tracking_ = false;
  setHighlighted(false);
  if (enabled_)
    sendActionsForControlEvents(touchInside_ ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside, event);
  touchInside_ = false;
}

void UIControl::touchesCancelled(const std::set<UITouch*>&, UIEvent* event) {
  Ref<UIControl> keep(this);
  if (tracking_) cancelTrackingWithEvent(event);
  tracking_ = false;
  touchInside_ = false;
  setHighlighted(false);
  if (enabled_) sendActionsForControlEvents(UIControlEventTouchCancel, event);
}
