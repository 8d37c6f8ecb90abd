#include "uikit/UIBarItemArranger.h"

#include <algorithm>

CGRect UIBarItemArranger::place(UIView* bar, const std::vector<Ref<UIBarButtonItem>>& items, CGRect row, bool trailing) {
  // Widths first, so the flexible spaces know what is left to share.
  double used = 0;
  int flexible = 0;
  const UIBarButtonItem* before = nullptr;
  for (const Ref<UIBarButtonItem>& item : items) {
    if (item->isFlexibleSpace()) ++flexible;
    used += item->widthInBar();
    if (before != nullptr && !before->isSpace() && !item->isSpace()) used += kGap;
    before = item.get();
  }
  const double share = flexible > 0 ? std::max(0.0, row.size.width - used) / flexible : 0;
  double x = row.origin.x;
  if (flexible == 0 && trailing) x = row.origin.x + row.size.width - used;
  const double start = x;

  before = nullptr;
  for (const Ref<UIBarButtonItem>& item : items) {
    if (before != nullptr && !before->isSpace() && !item->isSpace()) x += kGap;
    const double width = item->isFlexibleSpace() ? share : item->widthInBar();
    if (UIButton* button = item->view()) {
      if (button->superview() != bar) bar->addSubview(button);
      button->setFrame(CGRectMake(x, row.origin.y, width, row.size.height));
      keep(button);
    }
    x += width;
    before = item.get();
  }
  return CGRectMake(start, row.origin.y, x - start, row.size.height);
}

void UIBarItemArranger::keep(UIView* view) { current_.push_back(Ref<UIView>(view)); }

void UIBarItemArranger::finish(UIView* bar) {
  for (const Ref<UIView>& view : previous_) {
    const bool kept = std::any_of(current_.begin(), current_.end(), [&](const Ref<UIView>& v) { return v == view; });
    if (!kept && view->superview() == bar) view->removeFromSuperview();
  }
  previous_ = std::move(current_);
  current_.clear();
}
