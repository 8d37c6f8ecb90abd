// A view that turns touches into control events and sends action messages to targets when they
// happen (target-action). Targets are held weakly: a target that went away is skipped, never
// called. A nil target sends the action up the responder chain. A disabled control tracks no
// touch and sends nothing.
//
// Tracking follows the platform: a touch that begins in the control highlights it and sends
// TouchDown; moving sends TouchDragInside or TouchDragOutside (and Enter/Exit on the crossing),
// the highlight following the finger; lifting inside sends TouchUpInside, outside TouchUpOutside.
// "Inside" reaches 70 points beyond the bounds while tracking, as on the phone, so a finger may
// wander a little. Subclasses take over begin/continue/end tracking for their own behaviour.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "uikit/UIView.h"

class UITouch;

using UIControlEvents = uint32_t;
enum : UIControlEvents {
  UIControlEventTouchDown = 1u << 0,
  UIControlEventTouchDownRepeat = 1u << 1,
  UIControlEventTouchDragInside = 1u << 2,
  UIControlEventTouchDragOutside = 1u << 3,
  UIControlEventTouchDragEnter = 1u << 4,
  UIControlEventTouchDragExit = 1u << 5,
  UIControlEventTouchUpInside = 1u << 6,
  UIControlEventTouchUpOutside = 1u << 7,
  UIControlEventTouchCancel = 1u << 8,
  UIControlEventValueChanged = 1u << 12,
  UIControlEventEditingDidBegin = 1u << 16,
  UIControlEventEditingChanged = 1u << 17,
  UIControlEventEditingDidEnd = 1u << 18,
  UIControlEventEditingDidEndOnExit = 1u << 19,
  UIControlEventAllTouchEvents = 0x00000fffu,
  UIControlEventAllEditingEvents = 0x000f0000u,
  UIControlEventAllEvents = 0xffffffffu,
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
  UIControl() = default;
  explicit UIControl(CGRect frame) : UIView(frame) {}

  // The action takes nothing, the control ("v@:@"), or the control and the event ("v@:@@").
  void addTarget(id target, SEL action, UIControlEvents events);
  // Removes the target's actions for these events (a nil action: every action of the target).
  void removeTarget(id target, SEL action = nullptr, UIControlEvents events = UIControlEventAllEvents);
  void sendActionsForControlEvents(UIControlEvents events, UIEvent* event = nullptr);
  virtual void sendAction(SEL action, id target, UIEvent* event);
  // The actions registered for the target and one of the events (for tests and tools).
  std::vector<SEL> actionsForTarget(id target, UIControlEvents events) const;

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted);
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected);
  UIControlState state() const;
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }

  // Tracking. beginTracking answers whether to go on tracking the touch; so does
  // continueTracking for each move.
  virtual bool beginTrackingWithTouch(UITouch* touch, UIEvent* event);
  virtual bool continueTrackingWithTouch(UITouch* touch, UIEvent* event);
  virtual void endTrackingWithTouch(UITouch* touch, UIEvent* event);
  virtual void cancelTrackingWithEvent(UIEvent* event);

  void touchesBegan(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesMoved(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesCancelled(const std::set<UITouch*>& touches, UIEvent* event) override;

  static void registerMembers(Class cls);

 protected:
  // Whether a point counts as inside while a touch is tracked (the bounds plus a margin).
  bool isInsideWhileTracking(CGPoint point) const;

 private:
  struct Action {
    Weak<NSObject> target;
    bool nilTarget;  // sent up the responder chain
    SEL action;
    UIControlEvents events;
  };
  std::vector<Action> actions_;
  bool enabled_ = true, highlighted_ = false, selected_ = false;
  bool tracking_ = false, touchInside_ = false;
};
