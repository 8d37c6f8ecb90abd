#include "uikit/UITableView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TouchSteps.h"
#include "UIKitFixture.h"

namespace {

// A data source and delegate as a view controller would be one: runtime methods by the
// platform's selectors, each recording what it was told.
struct ListSource : NSObject {
  std::vector<std::string> rows;
  std::vector<std::string> log;
  std::vector<NSInteger> sectionsAsked;
  int cellsMade = 0;
  bool editable = true;

  static ListSource* of(id self) { return static_cast<ListSource*>(self); }
  static std::string where(id indexPath) {
    auto* path = static_cast<NSIndexPath*>(indexPath);
    return std::to_string(path->section()) + ":" + std::to_string(path->row());
  }
  static NSInteger rowCount(id self, SEL, id, NSInteger section) {
    of(self)->sectionsAsked.push_back(section);
    return NSInteger(of(self)->rows.size());
  }
  static id cellForRow(id self, SEL, id tableView, id indexPath) {
    auto* table = static_cast<UITableView*>(tableView);
    Ref<UITableViewCell> cell(table->dequeueReusableCellWithIdentifier("row"));
    if (!cell) {
      cell = make<UITableViewCell>(UITableViewCellStyle::Default, "row");
      ++of(self)->cellsMade;
    }
    cell->textLabel()->setText(of(self)->rows.at(size_t(static_cast<NSIndexPath*>(indexPath)->row())));
    return objc_autorelease(cell.get());
  }
  static bool canEdit(id self, SEL, id, id) { return of(self)->editable; }
  static void commit(id self, SEL, id tableView, NSInteger style, id indexPath) {
    of(self)->log.push_back("commit " + std::to_string(style) + " " + where(indexPath));
    // As a data source does: change the data, then reload the whole list.
    auto& rows = of(self)->rows;
    rows.erase(rows.begin() + static_cast<NSIndexPath*>(indexPath)->row());
    static_cast<UITableView*>(tableView)->reloadData();
  }
  static void highlighted(id self, SEL, id, id path) { of(self)->log.push_back("highlight " + where(path)); }
  static void unhighlighted(id self, SEL, id, id path) { of(self)->log.push_back("unhighlight " + where(path)); }
  static void selected(id self, SEL, id, id path) { of(self)->log.push_back("select " + where(path)); }

  static Class cls() {
    static Class c = [] {
      Class k = objc_registerClass("ListsTableTestSource", objc_rootClass());
      class_addMethod(k, sel_registerName("tableView:numberOfRowsInSection:"), &rowCount, "q@:@q");
      class_addMethod(k, sel_registerName("tableView:cellForRowAtIndexPath:"), &cellForRow, "@@:@@");
      class_addMethod(k, sel_registerName("tableView:canEditRowAtIndexPath:"), &canEdit, "B@:@@");
      class_addMethod(k, sel_registerName("tableView:commitEditingStyle:forRowAtIndexPath:"), &commit, "v@:@q@");
      class_addMethod(k, sel_registerName("tableView:didHighlightRowAtIndexPath:"), &highlighted, "v@:@@");
      class_addMethod(k, sel_registerName("tableView:didUnhighlightRowAtIndexPath:"), &unhighlighted, "v@:@@");
      class_addMethod(k, sel_registerName("tableView:didSelectRowAtIndexPath:"), &selected, "v@:@@");
      return k;
    }();
    return c;
  }
};

class TableTouches : public UIKitFixture {
 protected:
  void SetUp() override {
    UIKitFixture::SetUp();
    table = make<UITableView>(CGRectMake(0, 20, 320, 300));
    window->addSubview(table);
    source = objc_make<ListSource>(ListSource::cls());
    source->rows = {"Flat", "Bass", "Vocal", "Treble", "Loud"};
    table->setDataSource(source.get());
    table->setDelegate(source.get());
    window->layoutIfNeeded();
    objc_autoreleasePoolDrain();  // the table alone keeps the cells now
  }

  // The centre of a row, in the window.
  CGPoint row(NSInteger r, double x = 160) const { return CGPointMake(x, 20 + 44.0 * double(r) + 22); }
  std::string textOfRow(NSInteger r) const {
    Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(r, 0);
    UITableViewCell* cell = table->cellForRowAtIndexPath(path.get());
    return cell ? cell->textLabel()->text() : "<none>";
  }
  UITableViewCell* cellAt(NSInteger r) const {
    Ref<NSIndexPath> path = NSIndexPath::indexPathForRow(r, 0);
    return table->cellForRowAtIndexPath(path.get());
  }
  void swipeLeft(NSInteger r) {
    touchDown(row(r, 280));
    advance(0.02);
    touchMove(row(r, 240));
    touchMove(row(r, 190));
    touchUp(row(r, 180));
  }

  Ref<UITableView> table;
  Ref<ListSource> source;
};

TEST_F(TableTouches, AQuickTapHighlightsAtTheLiftThenUnhighlightsAndSelectsThatRow) {
  EXPECT_EQ(source->sectionsAsked, std::vector<NSInteger>{0});
  EXPECT_EQ(textOfRow(2), "Vocal");
  touchDown(row(2));
  EXPECT_TRUE(source->log.empty()) << "a touch down does not highlight at once";
  EXPECT_FALSE(cellAt(2)->isHighlighted());
  touchUp(row(2));
  EXPECT_EQ(source->log, (std::vector<std::string>{"highlight 0:2", "unhighlight 0:2", "select 0:2"}));
  EXPECT_FALSE(cellAt(2)->isHighlighted());
  EXPECT_TRUE(cellAt(2)->isSelected());
  EXPECT_EQ(table->indexPathForSelectedRow()->row(), 2);
}

TEST_F(TableTouches, AHeldTouchHighlightsAfterTheDelayAndMovingOffUnhighlightsWithoutSelecting) {
  touchDown(row(1));
  advance(0.1);
  EXPECT_TRUE(source->log.empty());
  advance(0.06);
  EXPECT_EQ(source->log, std::vector<std::string>{"highlight 0:1"});
  EXPECT_TRUE(cellAt(1)->isHighlighted());
  touchMove(CGPointMake(160, row(1).y + 30));
  EXPECT_FALSE(cellAt(1)->isHighlighted());
  touchUp(CGPointMake(160, row(1).y + 30));
  EXPECT_EQ(source->log, (std::vector<std::string>{"highlight 0:1", "unhighlight 0:1"}));
  EXPECT_EQ(table->indexPathForSelectedRow(), nullptr);
}

// iOS 7 draws a grey row without lines along it: its own separator and the one of the row
// above are left out while it is highlighted or selected, and come back after.
TEST_F(TableTouches, AGreyRowHasNoSeparatorLinesAlongIt) {
  window->setBackgroundColor(UIColor::whiteColor());
  // The grey level, at 2x, of the bottom pixel row of each table row, at x = 100 points.
  auto bottomEdges = [&] {
    const CGImage shot = window->snapshot(2);
    std::vector<int> levels;
    for (int r = 0; r < 3; ++r) {
      const uint32_t y = uint32_t((20 + 44 * (r + 1)) * 2 - 1);
      levels.push_back(shot.rgba[(y * shot.width + 200) * 4]);
    }
    return levels;
  };
  const int white = 255, separator = 199, grey = 217;
  EXPECT_EQ(bottomEdges(), (std::vector<int>{separator, separator, separator}));
  touchDown(row(1));
  advance(UITableView::kHighlightDelay + 0.01);
  EXPECT_EQ(bottomEdges(), (std::vector<int>{white, grey, separator}));
  touchUp(row(1));  // selected now: as grey
  EXPECT_EQ(bottomEdges(), (std::vector<int>{white, grey, separator}));
  Ref<NSIndexPath> first = NSIndexPath::indexPathForRow(0, 0);
  table->selectRowAtIndexPath(first.get(), false);
  EXPECT_EQ(bottomEdges(), (std::vector<int>{grey, separator, separator}));
  table->deselectRowAtIndexPath(first.get(), false);
  EXPECT_EQ(bottomEdges(), (std::vector<int>{separator, separator, separator}));
}

TEST_F(TableTouches, ASwipeRevealsDeleteWhoseTapCommitsStyleOneForThatRowAndTheReloadShowsTheRest) {
  swipeLeft(3);
  UIButton* del = cellAt(3)->deleteConfirmationButton();
  ASSERT_NE(del, nullptr);
  EXPECT_FALSE(del->isHidden());
  EXPECT_EQ(del->currentTitle(), "Delete");
  EXPECT_EQ(source->rows.size(), 5u) << "the table never removes a row itself";
  advance(1);  // the reveal animation is over; nothing else happens meanwhile
  EXPECT_TRUE(source->log.empty());

  tapAt(centreInWindow(del));
  EXPECT_EQ(source->log, std::vector<std::string>{"commit 1 0:3"});
  EXPECT_EQ(table->numberOfRowsInSection(0), 4);
  EXPECT_EQ(table->visibleCells().size(), 4u);
  EXPECT_EQ(textOfRow(3), "Loud");
  EXPECT_EQ(textOfRow(4), "<none>");
  for (UITableViewCell* cell : table->visibleCells()) EXPECT_FALSE(cell->showingDeleteConfirmation());
}

TEST_F(TableTouches, ATapElsewhereHidesDeleteWithoutDeletingAndARowThatCannotBeEditedShowsNone) {
  swipeLeft(0);
  ASSERT_TRUE(cellAt(0)->showingDeleteConfirmation());
  tapAt(row(2));
  EXPECT_FALSE(cellAt(0)->showingDeleteConfirmation());
  EXPECT_TRUE(cellAt(0)->deleteConfirmationButton()->isHidden());
  EXPECT_TRUE(source->log.empty()) << "the tap that hides the button selects nothing";
  EXPECT_EQ(table->numberOfRowsInSection(0), 5);

  source->editable = false;
  swipeLeft(1);
  EXPECT_FALSE(cellAt(1)->showingDeleteConfirmation());
  EXPECT_TRUE(source->log.empty());
}

TEST_F(TableTouches, CellsComeBackFromTheReusePoolOnReloadAndWhileScrolling) {
  const int made = source->cellsMade;
  EXPECT_EQ(made, 5);
  const std::vector<UITableViewCell*> before = table->visibleCells();
  source->rows = {"One", "Two"};
  table->reloadData();
  EXPECT_EQ(source->cellsMade, made);
  EXPECT_EQ(textOfRow(1), "Two");
  // Three of the five cells are left in the pool, none of them on screen.
  for (int i = 0; i < 3; ++i) {
    Ref<UITableViewCell> spare(table->dequeueReusableCellWithIdentifier("row"));
    ASSERT_TRUE(spare);
    EXPECT_NE(std::find(before.begin(), before.end(), spare.get()), before.end());
    EXPECT_EQ(spare->superview(), nullptr);
  }
  EXPECT_EQ(table->dequeueReusableCellWithIdentifier("row"), nullptr);
  EXPECT_EQ(table->dequeueReusableCellWithIdentifier("other"), nullptr);

  // Forty rows in a 300-point table: dragging to the end makes only about a screenful of cells.
  source->rows.clear();
  for (int i = 0; i < 40; ++i) source->rows.push_back("Row " + std::to_string(i));
  table->reloadData();
  touchDown(row(5));
  for (int step = 1; step <= 40; ++step) touchMove(CGPointMake(160, row(5).y - 40.0 * step));
  touchUp(CGPointMake(160, row(5).y - 1600));
  EXPECT_DOUBLE_EQ(table->contentOffsetY(), 40 * 44.0 - 300);
  EXPECT_EQ(textOfRow(39), "Row 39");
  EXPECT_LE(table->visibleCells().size(), 9u);
  EXPECT_LE(source->cellsMade, 12);
  EXPECT_TRUE(source->log.empty()) << "a drag selects nothing";
}

}  // namespace
