// A list of rows in one section, asked of a data source and reported to a delegate through the
// runtime with the platform's selectors, as UIKit does:
//
//   data source  tableView:numberOfRowsInSection:       NSInteger(id, SEL, id, NSInteger)
//                tableView:cellForRowAtIndexPath:       id(id, SEL, id, id)
//                numberOfSectionsInTableView:           NSInteger(id, SEL, id)        optional
//                tableView:canEditRowAtIndexPath:       bool(id, SEL, id, id)         optional
//                tableView:commitEditingStyle:forRowAtIndexPath:
//                                                       void(id, SEL, id, NSInteger, id) optional
//   delegate     tableView:shouldHighlightRowAtIndexPath: bool(id, SEL, id, id)       optional
//                tableView:didHighlightRowAtIndexPath:    void(id, SEL, id, id)       optional
//                tableView:didUnhighlightRowAtIndexPath:  void(id, SEL, id, id)       optional
//                tableView:didSelectRowAtIndexPath:       void(id, SEL, id, id)       optional
//
// Only section 0 is shown (the data source is asked for it by that number). As on the platform,
// tableView:cellForRowAtIndexPath: answers the cell autoreleased, and the table retains it:
//
//   Ref<UITableViewCell> cell(table->dequeueReusableCellWithIdentifier("row"));
//   if (!cell) cell = make<UITableViewCell>(UITableViewCellStyle::Default, "row");
//   cell->textLabel()->setText(...);
//   return objc_autorelease(cell.get());
//
// Touches follow the phone: a touch on a row does not highlight it at once but after a short
// hold (0.15 s of the run loop's clock), or at the lift for a quick tap. When the highlight ends
// the delegate hears didUnhighlight, and for a tap (the finger lifted on the row) then
// didSelect. A finger that moves off turns the touch into a scroll (vertical) or, before any
// highlight, a swipe (horizontal): a swipe to the left on an editable row reveals its Delete
// button, whose tap commits the delete editing style (1) for that row. A touch anywhere else in
// the table while the button shows only hides it. The table never removes a row itself: the data
// source changes and reloads.
//
// The table scrolls vertically by its bounds' origin (the content offset) and clips to its
// bounds. It derives from UIView through UITableViewSuperclass, so that it moves onto
// UIScrollView by changing that one line.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "foundation/NSIndexPath.h"
#include "foundation/NSTimer.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UIView.h"

using UITableViewSuperclass = UIView;

class UITableView : public UITableViewSuperclass {
 public:
  static Class runtimeClass();  // "UITableView"
  static void registerMembers(Class cls);
  UITableView();
  explicit UITableView(CGRect frame);
  ~UITableView() override;

  NSObject* dataSource() const { return dataSource_.get(); }
  void setDataSource(NSObject* dataSource);
  NSObject* delegate() const { return delegate_.get(); }
  void setDelegate(NSObject* delegate);

  double rowHeight() const { return rowHeight_; }
  void setRowHeight(double height);

  // Asks the data source anew for everything: the number of rows and every visible cell (the
  // cells shown before go to the reuse pool first). No row animation; the selection is cleared.
  void reloadData();
  // A cell of that identifier from the reuse pool (autoreleased), or nil.
  UITableViewCell* dequeueReusableCellWithIdentifier(const std::string& identifier);

  NSInteger numberOfSections() const;
  NSInteger numberOfRowsInSection(NSInteger section) const;
  // The cell showing the row, or nil when the row is not visible.
  UITableViewCell* cellForRowAtIndexPath(const NSIndexPath* indexPath) const;
  std::vector<UITableViewCell*> visibleCells() const;  // top to bottom
  // The row under a point of the table's own (content) coordinates, or nil.
  Ref<NSIndexPath> indexPathForRowAtPoint(CGPoint point) const;
  CGRect rectForRowAtIndexPath(const NSIndexPath* indexPath) const;

  Ref<NSIndexPath> indexPathForSelectedRow() const;
  void selectRowAtIndexPath(const NSIndexPath* indexPath, bool animated);
  void deselectRowAtIndexPath(const NSIndexPath* indexPath, bool animated);

  // The vertical scroll position (the bounds' origin) and the height of all rows.
  double contentOffsetY() const { return bounds().origin.y; }
  void setContentOffsetY(double y);  // kept between 0 and the last row's bottom
  double contentHeight() const { return rowHeight_ * double(rowCount_); }

  void layoutSubviews() override;
  void drawRect(CGContext& context, CGRect rect) override;

  void touchesBegan(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesMoved(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesCancelled(const std::set<UITouch*>& touches, UIEvent* event) override;

  // How long a touch rests on a row before the row highlights, in seconds.
  static constexpr double kHighlightDelay = 0.15;

 private:
  // What the finger that is down is doing.
  enum class Gesture { None, Pending, Highlighted, Scrolling, Swiping, Dismissing };

  void tileCells();
  void updateSeparators();
  void recycle(NSInteger row);
  Ref<UITableViewCell> cellFromDataSource(NSInteger row);
  NSInteger rowAt(CGPoint point) const;  // -1 when no row is there
  void tellDelegate(SEL selector, NSInteger row);
  bool canEditRow(NSInteger row);
  void highlightRow(NSInteger row);
  void unhighlightRow();
  void selectRowByTouch(NSInteger row);
  void showDeleteConfirmation(NSInteger row);
  void hideDeleteConfirmation();
  void cancelHighlightTimer();
  static void deleteConfirmationTapped(id self, SEL, id sender);

  Weak<NSObject> dataSource_;
  Weak<NSObject> delegate_;
  double rowHeight_ = 44;
  NSInteger rowCount_ = 0;
  bool needsReload_ = true;
  std::map<NSInteger, Ref<UITableViewCell>> visible_;
  std::map<std::string, std::vector<Ref<UITableViewCell>>> reusePool_;
  NSInteger selectedRow_ = -1;
  NSInteger deleteRow_ = -1;  // the row whose Delete button shows

  Gesture gesture_ = Gesture::None;
  NSInteger touchRow_ = -1;
  NSInteger highlightedRow_ = -1;
  CGPoint touchStart_{};      // in the window, so scrolling does not move it
  double offsetAtStart_ = 0;
  Ref<NSTimer> highlightTimer_;
};
