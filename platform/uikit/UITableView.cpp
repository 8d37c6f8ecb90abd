#include "uikit/UITableView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "uikit/UITouch.h"

OBJC_CLASS_WITH_MEMBERS(UITableView, UITableViewSuperclass)

namespace {

SEL sel(const char* name) { return sel_registerName(name); }

// How far a finger may wander before a touch counts as a scroll or a swipe, and how far to
// the left a swipe must go to reveal the Delete button.
constexpr double kTouchSlop = 10;
constexpr double kSwipeToReveal = 30;
const CGColor kSeparatorColor{0.78, 0.78, 0.8, 1};

}  // namespace

void UITableView::registerMembers(Class cls) {
  class_addOutlet(cls, "dataSource", &UITableView::setDataSource);
  class_addOutlet(cls, "delegate", &UITableView::setDelegate);
  class_addProperty(cls, "rowHeight", &UITableView::setRowHeight);
  class_addMethod(cls, sel("_deleteConfirmationTapped:"), &UITableView::deleteConfirmationTapped, "v@:@");
}

UITableView::UITableView() : UITableView(CGRectZero) {}

UITableView::UITableView(CGRect frame) : UITableViewSuperclass(frame) {
  setBackgroundColor(UIColor::whiteColor());
  setClipsToBounds(true);
}

UITableView::~UITableView() { cancelHighlightTimer(); }

void UITableView::setDataSource(NSObject* dataSource) {
  dataSource_ = Weak<NSObject>(dataSource);
  needsReload_ = true;
  setNeedsLayout();
}

void UITableView::setDelegate(NSObject* delegate) { delegate_ = Weak<NSObject>(delegate); }

void UITableView::setRowHeight(double height) {
  rowHeight_ = std::max(1.0, height);
  needsReload_ = true;
  setNeedsLayout();
}

// Data.

NSInteger UITableView::numberOfSections() const {
  Ref<NSObject> source = dataSource_.lock();
  if (!source) return 0;
  if (source->respondsToSelector(sel("numberOfSectionsInTableView:")))
    return std::max<NSInteger>(0, msgSend<NSInteger>(source.get(), sel("numberOfSectionsInTableView:"), const_cast<UITableView*>(this)));
  return 1;
}

NSInteger UITableView::numberOfRowsInSection(NSInteger section) const {
  return section == 0 ? rowCount_ : 0;
}

void UITableView::reloadData() {
  Ref<UITableView> keep(this);
  needsReload_ = false;
  hideDeleteConfirmation();
  selectedRow_ = -1;
  highlightedRow_ = -1;  // the highlighted cell goes to the pool with the others
  std::vector<NSInteger> rows;
  for (const auto& [row, cell] : visible_) rows.push_back(row);
  for (NSInteger row : rows) recycle(row);

  rowCount_ = 0;
  Ref<NSObject> source = dataSource_.lock();
  // A data source lacking a required answer shows nothing rather than failing.
  if (source && source->respondsToSelector(sel("tableView:numberOfRowsInSection:")) &&
      source->respondsToSelector(sel("tableView:cellForRowAtIndexPath:")) && numberOfSections() > 0)
    rowCount_ = std::max<NSInteger>(0, msgSend<NSInteger, UITableView*, NSInteger>(
                                           source.get(), sel("tableView:numberOfRowsInSection:"), this, 0));
  setContentOffsetY(contentOffsetY());  // the content may have become shorter
  tileCells();
  setNeedsDisplay();
}

UITableViewCell* UITableView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
  auto it = reusePool_.find(identifier);
  if (it == reusePool_.end() || it->second.empty()) return nullptr;
  Ref<UITableViewCell> cell = it->second.back();
  it->second.pop_back();
  cell->prepareForReuse();
  objc_autorelease(cell.get());
  return cell.get();
}

void UITableView::recycle(NSInteger row) {
  auto it = visible_.find(row);
  if (it == visible_.end()) return;
  Ref<UITableViewCell> cell = it->second;
  visible_.erase(it);
  cell->removeFromSuperview();
  if (!cell->reuseIdentifier().empty()) reusePool_[cell->reuseIdentifier()].push_back(cell);
}

// The data source answers the cell autoreleased; the table keeps it from here on.
Ref<UITableViewCell> UITableView::cellFromDataSource(NSInteger row) {
  Ref<NSObject> source = dataSource_.lock();
  if (!source) return nullptr;
  Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(row, 0);
  id answer = msgSend<id>(source.get(), sel("tableView:cellForRowAtIndexPath:"), this, path.get());
  auto* cell = dynamic_cast<UITableViewCell*>(answer);
  if (cell == nullptr)
    std::fprintf(stderr, "UITableView: the data source answered no cell for row %ld\n", long(row));
  return Ref<UITableViewCell>(cell);
}

// Keeps a cell for every row in view and none for the others, which go to the reuse pool.
void UITableView::tileCells() {
  const CGRect b = bounds();
  NSInteger first = 0, last = -1;
  if (rowCount_ > 0 && b.size.height > 0) {
    first = std::clamp<NSInteger>(NSInteger(std::floor(b.origin.y / rowHeight_)), 0, rowCount_ - 1);
    last = std::clamp<NSInteger>(NSInteger(std::ceil(CGRectGetMaxY(b) / rowHeight_)) - 1, 0, rowCount_ - 1);
  }
  std::vector<NSInteger> away;
  // The row a finger is on stays, out of sight, so the touch keeps reaching the table.
  const NSInteger held = gesture_ == Gesture::None ? -1 : touchRow_;
  for (const auto& [row, cell] : visible_)
    if ((row < first || row > last) && row != held) away.push_back(row);
  for (NSInteger row : away) recycle(row);
  for (NSInteger row = first; row <= last; ++row) {
    if (!visible_.count(row)) {
      Ref<UITableViewCell> cell = cellFromDataSource(row);
      if (!cell) continue;
      cell->setSelected(row == selectedRow_);
      cell->setHighlighted(row == highlightedRow_);
      visible_[row] = cell;
      addSubview(cell);
    }
    visible_[row]->setFrame(CGRectMake(0, double(row) * rowHeight_, b.size.width, rowHeight_));
  }
  updateSeparators();
}

// The row above a grey one leaves out its separator, so that no line runs along the grey's top.
void UITableView::updateSeparators() {
  for (const auto& [row, cell] : visible_) {
    auto below = visible_.find(row + 1);
    cell->setSeparatorHidden(below != visible_.end() && (below->second->isHighlighted() || below->second->isSelected()));
  }
}

void UITableView::layoutSubviews() {
  if (needsReload_) reloadData();
  else tileCells();
}

UITableViewCell* UITableView::cellForRowAtIndexPath(const NSIndexPath* indexPath) const {
  if (indexPath == nullptr || indexPath->section() != 0) return nullptr;
  auto it = visible_.find(indexPath->row());
  return it == visible_.end() ? nullptr : it->second.get();
}

std::vector<UITableViewCell*> UITableView::visibleCells() const {
  std::vector<UITableViewCell*> cells;
  for (const auto& [row, cell] : visible_) cells.push_back(cell.get());
  return cells;
}

NSInteger UITableView::rowAt(CGPoint p) const {
  if (p.y < 0 || p.x < 0 || p.x >= bounds().size.width) return -1;
  const auto row = NSInteger(std::floor(p.y / rowHeight_));
  return row < rowCount_ ? row : -1;
}

Ref<NSIndexPath> UITableView::indexPathForRowAtPoint(CGPoint point) const {
  const NSInteger row = rowAt(point);
  return row < 0 ? nullptr : NSIndexPath::indexPathForRow(row, 0);
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath* indexPath) const {
  if (indexPath == nullptr || indexPath->section() != 0 || indexPath->row() < 0 || indexPath->row() >= rowCount_)
    return CGRectZero;
  return CGRectMake(0, double(indexPath->row()) * rowHeight_, bounds().size.width, rowHeight_);
}

void UITableView::setContentOffsetY(double y) {
  const double bottom = std::max(0.0, contentHeight() - bounds().size.height);
  y = std::clamp(y, 0.0, bottom);
  CGRect b = bounds();
  if (b.origin.y == y) return;
  b.origin.y = y;
  setBounds(b);
  tileCells();
}

// Selection.

Ref<NSIndexPath> UITableView::indexPathForSelectedRow() const {
  return selectedRow_ < 0 ? nullptr : NSIndexPath::indexPathForRow(selectedRow_, 0);
}

void UITableView::selectRowAtIndexPath(const NSIndexPath* indexPath, bool animated) {
  if (selectedRow_ >= 0) deselectRowAtIndexPath(indexPathForSelectedRow().get(), animated);
  if (indexPath == nullptr || indexPath->section() != 0 || indexPath->row() < 0 || indexPath->row() >= rowCount_)
    return;
  selectedRow_ = indexPath->row();
  if (UITableViewCell* cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(true, animated);
  updateSeparators();
}

void UITableView::deselectRowAtIndexPath(const NSIndexPath* indexPath, bool animated) {
  if (indexPath == nullptr || indexPath->section() != 0 || indexPath->row() != selectedRow_) return;
  if (UITableViewCell* cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(false, animated);
  selectedRow_ = -1;
  updateSeparators();
}

// The delegate and the data source's optional answers.

void UITableView::tellDelegate(SEL selector, NSInteger row) {
  Ref<NSObject> delegate = delegate_.lock();
  if (!delegate || !delegate->respondsToSelector(selector)) return;
  Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(row, 0);
  msgSend<void>(delegate.get(), selector, this, path.get());
}

bool UITableView::canEditRow(NSInteger row) {
  Ref<NSObject> source = dataSource_.lock();
  if (!source || !source->respondsToSelector(sel("tableView:commitEditingStyle:forRowAtIndexPath:"))) return false;
  if (!source->respondsToSelector(sel("tableView:canEditRowAtIndexPath:"))) return true;
  Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(row, 0);
  return msgSend<bool>(source.get(), sel("tableView:canEditRowAtIndexPath:"), this, path.get());
}

void UITableView::highlightRow(NSInteger row) {
  if (Ref<NSObject> delegate = delegate_.lock();
      delegate && delegate->respondsToSelector(sel("tableView:shouldHighlightRowAtIndexPath:"))) {
    Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(row, 0);
    if (!msgSend<bool>(delegate.get(), sel("tableView:shouldHighlightRowAtIndexPath:"), this, path.get())) return;
  }
  highlightedRow_ = row;
  if (auto it = visible_.find(row); it != visible_.end()) it->second->setHighlighted(true);
  updateSeparators();
  tellDelegate(sel("tableView:didHighlightRowAtIndexPath:"), row);
}

void UITableView::unhighlightRow() {
  const NSInteger row = highlightedRow_;
  if (row < 0) return;
  highlightedRow_ = -1;
  if (auto it = visible_.find(row); it != visible_.end()) it->second->setHighlighted(false);
  updateSeparators();
  tellDelegate(sel("tableView:didUnhighlightRowAtIndexPath:"), row);
}

void UITableView::selectRowByTouch(NSInteger row) {
  if (row < 0 || row >= rowCount_) return;
  Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(row, 0);
  selectRowAtIndexPath(path.get(), false);
  tellDelegate(sel("tableView:didSelectRowAtIndexPath:"), row);
}

// The Delete button.

void UITableView::showDeleteConfirmation(NSInteger row) {
  auto it = visible_.find(row);
  if (it == visible_.end()) return;
  deleteRow_ = row;
  UITableViewCell* cell = it->second.get();
  cell->setShowingDeleteConfirmation(true, true);
  cell->deleteConfirmationButton()->addTarget(this, sel("_deleteConfirmationTapped:"), UIControlEventTouchUpInside);
}

void UITableView::hideDeleteConfirmation() {
  if (deleteRow_ < 0) return;
  if (auto it = visible_.find(deleteRow_); it != visible_.end()) it->second->setShowingDeleteConfirmation(false, true);
  deleteRow_ = -1;
}

void UITableView::deleteConfirmationTapped(id self, SEL, id sender) {
  auto* table = static_cast<UITableView*>(self);
  Ref<UITableView> keep(table);
  NSInteger row = -1;
  for (const auto& [r, cell] : table->visible_)
    if (cell->deleteConfirmationButton() == sender) row = r;
  if (row < 0 || row != table->deleteRow_) return;
  table->hideDeleteConfirmation();
  Ref<NSObject> source = table->dataSource_.lock();
  if (!source || !source->respondsToSelector(sel("tableView:commitEditingStyle:forRowAtIndexPath:"))) return;
  Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(row, 0);
  msgSend<void, UITableView*, NSInteger>(source.get(), sel("tableView:commitEditingStyle:forRowAtIndexPath:"), table,
                                         UITableViewCellEditingStyleDelete, path.get());
}

// Touches.

void UITableView::cancelHighlightTimer() {
  if (highlightTimer_) highlightTimer_->invalidate();
  highlightTimer_ = nullptr;
}

void UITableView::touchesBegan(const std::set<UITouch*>& touches, UIEvent*) {
  if (touches.empty()) return;
  Ref<UITableView> keep(this);
  UITouch* touch = *touches.begin();
  cancelHighlightTimer();
  touchStart_ = touch->locationInView(nullptr);
  offsetAtStart_ = contentOffsetY();
  if (deleteRow_ >= 0) {
    // While a Delete button shows, a touch elsewhere only puts it away.
    hideDeleteConfirmation();
    gesture_ = Gesture::Dismissing;
    return;
  }
  touchRow_ = rowAt(touch->locationInView(this));
  gesture_ = Gesture::Pending;
  if (touchRow_ < 0) return;
  Weak<UITableView> weak(this);
  highlightTimer_ = NSTimer::scheduledTimerWithTimeInterval(kHighlightDelay, false, [weak](NSTimer*) {
    Ref<UITableView> table = weak.lock();
    if (!table || table->gesture_ != Gesture::Pending || table->touchRow_ < 0) return;
    table->highlightTimer_ = nullptr;
    table->gesture_ = Gesture::Highlighted;
    table->highlightRow(table->touchRow_);
  });
}

void UITableView::touchesMoved(const std::set<UITouch*>& touches, UIEvent*) {
  if (touches.empty()) return;
  Ref<UITableView> keep(this);
  const CGPoint now = (*touches.begin())->locationInView(nullptr);
  const double dx = now.x - touchStart_.x, dy = now.y - touchStart_.y;
  const bool movedOff = std::fabs(dx) > kTouchSlop || std::fabs(dy) > kTouchSlop;
  switch (gesture_) {
    case Gesture::Pending:
      if (!movedOff) return;
      cancelHighlightTimer();
      if (std::fabs(dx) > std::fabs(dy) && dx < 0 && touchRow_ >= 0 && canEditRow(touchRow_)) gesture_ = Gesture::Swiping;
      else gesture_ = Gesture::Scrolling;
      break;
    case Gesture::Highlighted:
      if (!movedOff) return;
      gesture_ = Gesture::Scrolling;
      unhighlightRow();
      break;
    default: break;
  }
  if (gesture_ == Gesture::Scrolling) setContentOffsetY(offsetAtStart_ - dy);
  if (gesture_ == Gesture::Swiping && dx <= -kSwipeToReveal && deleteRow_ < 0) showDeleteConfirmation(touchRow_);
}

void UITableView::touchesEnded(const std::set<UITouch*>& touches, UIEvent*) {
  Ref<UITableView> keep(this);
  cancelHighlightTimer();
  const Gesture gesture = std::exchange(gesture_, Gesture::None);
  if (gesture == Gesture::Pending || gesture == Gesture::Highlighted) {
    const NSInteger row = touchRow_;
    if (row < 0) return;
    // A quick tap highlights only now, so the delegate still hears both ends of it.
    if (gesture == Gesture::Pending) highlightRow(row);
    const bool highlighted = highlightedRow_ == row;
    unhighlightRow();
    if (highlighted) selectRowByTouch(row);
    return;
  }
  if (gesture == Gesture::Swiping && !touches.empty()) {
    const CGPoint now = (*touches.begin())->locationInView(nullptr);
    if (now.x - touchStart_.x <= -kSwipeToReveal && deleteRow_ < 0) showDeleteConfirmation(touchRow_);
  }
  tileCells();
}

void UITableView::touchesCancelled(const std::set<UITouch*>&, UIEvent*) {
  Ref<UITableView> keep(this);
  cancelHighlightTimer();
  gesture_ = Gesture::None;
  unhighlightRow();
  tileCells();
}

// Drawing: the rows draw themselves; below the last one the table goes on with empty rows'
// separators, as an iOS 7 plain table does.
void UITableView::drawRect(CGContext& ctx, CGRect rect) {
  const double hairline = 1.0 / ctx.scale();
  ctx.setFillColor(kSeparatorColor);
  for (NSInteger row = std::max<NSInteger>(rowCount_, NSInteger(std::floor(rect.origin.y / rowHeight_)));; ++row) {
    const double y = double(row + 1) * rowHeight_ - hairline;
    if (y > CGRectGetMaxY(rect)) break;
    ctx.fillRect(CGRectMake(UITableViewCell::kSeparatorInset, y, rect.size.width - UITableViewCell::kSeparatorInset, hairline));
  }
}
