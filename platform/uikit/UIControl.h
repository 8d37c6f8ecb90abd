// A view that sends action messages to targets when the user works it (target-action). Targets
// are not retained, as on the platform; their owner removes them before it goes away.
#pragma once

#include <cstdint>
#include <vector>

#include "uikit/UIView.h"

using UIControlEvents = uint32_t;
enum : UIControlEvents {
  UIControlEventTouchDown = 1u << 0,
  UIControlEventTouchUpInside = 1u << 6,
  UIControlEventValueChanged = 1u << 12,
};

using UIControlState = uint32_t;
enum : UIControlState {
  UIControlStateNormal = 0,
  UIControlStateHighlighted = 1u << 0,
  UIControlStateDisabled = 1u << 1,
  UIControlStateSelected = 1u << 2,
};

class UIControl : public UIView {
 public:
  static Class runtimeClass();  // "UIControl", a subclass of "UIView"
  UIControl();

  // The action is "v@:@": it receives the control.
  void addTarget(id target, SEL action, UIControlEvents events);
  void removeTarget(id target);  // every action of that target
  void sendActionsForControlEvents(UIControlEvents events);

  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected) { selected_ = selected; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }

 private:
  struct Action {
    id target;
    SEL action;
    UIControlEvents events;
  };
  std::vector<Action> actions_;
  bool highlighted_ = false, selected_ = false, enabled_ = true;
};
