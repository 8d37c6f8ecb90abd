// Places bar button items on a bar, one layout pass at a time: each item's button becomes a
// subview of the bar at its place in a row; buttons of items the bar no longer shows leave it.
// Navigation bars and toolbars lay their items out with it.
#pragma once

#include <vector>

#include "uikit/UIBarButtonItem.h"
#include "uikit/UIView.h"

class UIBarItemArranger {
 public:
  // Room between the buttons of neighbouring items (each button has its own padding too).
  static constexpr double kGap = 8;

  // Lays the buttons of `items` out in `row` of `bar`, in order, each as tall as the row.
  // Flexible spaces share what the other items leave of the row; with none, the items keep to
  // the row's leading edge, or with `trailing` to its trailing edge. Answers the span they
  // cover (empty at the row's edge when there are no items).
  CGRect place(UIView* bar, const std::vector<Ref<UIBarButtonItem>>& items, CGRect row, bool trailing);
  // Keeps a view the bar placed itself (a back button) for this pass, like an item's button.
  void keep(UIView* view);
  // Ends a pass: buttons placed in the pass before but not in this one leave the bar.
  void finish(UIView* bar);

 private:
  std::vector<Ref<UIView>> previous_, current_;
};
