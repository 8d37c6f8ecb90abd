// Touches at points of the key window, delivered through the application as a finger makes
// them, and finding a button on screen by its title as a script does.
#pragma once

#include <string>

#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIView.h"

inline void touchDown(CGPoint p) { UIApplication::sharedApplication()->handleTouch(UITouchPhase::Began, p); }
inline void touchMove(CGPoint p) { UIApplication::sharedApplication()->handleTouch(UITouchPhase::Moved, p); }
inline void touchUp(CGPoint p) { UIApplication::sharedApplication()->handleTouch(UITouchPhase::Ended, p); }
inline void tapAt(CGPoint p) {
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
