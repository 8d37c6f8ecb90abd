#include "uikit/UIControl.h"

#include <algorithm>

Class UIControl::runtimeClass() {
  static Class cls = objc_registerClass("UIControl", UIView::runtimeClass());
  return cls;
}

UIControl::UIControl() { isa = runtimeClass(); }

void UIControl::addTarget(id target, SEL action, UIControlEvents events) {
  actions_.push_back(Action{target, action, events});
}

void UIControl::removeTarget(id target) {
  std::erase_if(actions_, [target](const Action& a) { return a.target == target; });
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
  if (!enabled_) return;
  Ref<UIControl> keep(this);
  const std::vector<Action> actions = actions_;  // an action may change the list
  for (const Action& a : actions)
    if ((a.events & events) != 0) msgSend<void>(a.target, a.action, static_cast<id>(this));
}
