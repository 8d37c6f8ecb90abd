// What the UIKit tests share: a run-loop clock they move by hand, touches delivered through the
// application as a finger would make them, and finding a button on screen by its title.
#pragma once

#include <string>

#include "foundation/NSRunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIView.h"

// The main run loop's clock, held still until advanced; the timers due by then fire.
struct ManualClock {
  double now = 1000;
  ManualClock() { NSRunLoop::mainRunLoop()->setClock([this] { return now; }); }
  ~ManualClock() { NSRunLoop::mainRunLoop()->setClock(nullptr); }
  void advance(double seconds) {
    now += seconds;
    NSRunLoop::mainRunLoop()->fireDueTimers();
  }
};

inline void touchDown(CGPoint p) { UIApplication::sharedApplication()->handleTouch(UITouchPhase::Began, p); }
inline void touchMove(CGPoint p) { UIApplication::sharedApplication()->handleTouch(UITouchPhase::Moved, p); }
inline void touchUp(CGPoint p) { UIApplication::sharedApplication()->handleTouch(UITouchPhase::Ended, p); }
inline void tap(CGPoint p) {
  touchDown(p);
  touchUp(p);
}

// The centre of a view, in window coordinates.
inline CGPoint centreInWindow(const UIView* view) {
  const CGRect b = view->bounds();
  return view->convertPointToView(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr);
}

// The frontmost visible button with that title in the tree, or nil.
inline UIButton* findButton(UIView* root, const std::string& title) {
  if (root == nullptr || root->isHidden()) return nullptr;
  const auto& subviews = root->allSubviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
    if (UIButton* found = findButton(it->get(), title)) return found;
  auto* button = dynamic_cast<UIButton*>(root);
  return button && button->currentTitle() == title ? button : nullptr;
}
