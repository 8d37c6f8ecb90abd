#include "uikit/UISegmentedControl.h"

#include "ControlsTestSupport.h"

namespace {

using controls_test::TouchTest;

class UISegmentedControlTest : public TouchTest {
 protected:
  void SetUp() override {
    TouchTest::SetUp();
    segments = make<UISegmentedControl>(std::vector<std::string>{"Low Pass", "High Pass", "High Shelf"});
    segments->setFrame(CGRectMake(10, 100, 300, 29));
    window->addSubview(segments);
    listenForValueChanged(segments.get(), [](id sender) {
      return double(static_cast<UISegmentedControl*>(sender)->selectedSegmentIndex());
    });
  }
  CGPoint segment(NSUInteger index) const { return centreOf(segments.get(), segments->rectForSegmentAtIndex(index)); }
  Ref<UISegmentedControl> segments;
};

TEST_F(UISegmentedControlTest, ATapSelectsItsSegmentAndATapOnTheSelectedOneSendsNothing) {
  EXPECT_EQ(segments->selectedSegmentIndex(), -1);
  tap(segment(1));
  EXPECT_EQ(segments->selectedSegmentIndex(), 1);
  tap(segment(1));
  tap(segment(2));
  EXPECT_EQ(actions->readings, (std::vector<double>{1, 2}));
}

TEST_F(UISegmentedControlTest, TheSegmentUnderTheLiftingFingerCountsAndLiftingFarAwaySelectsNothing) {
  down(segment(0));
  move(segment(2));
  up(segment(2));
  EXPECT_EQ(segments->selectedSegmentIndex(), 2);
  const CGPoint far = CGPointMake(segment(0).x, segment(0).y + 200);
  down(segment(0));
  move(far);
  up(far);
  EXPECT_EQ(segments->selectedSegmentIndex(), 2);
  EXPECT_EQ(actions->readings, (std::vector<double>{2}));
}

TEST_F(UISegmentedControlTest, AMomentaryControlReportsEveryTapAndKeepsNoSelection) {
  segments->setMomentary(true);
  tap(segment(0));
  tap(segment(0));
  EXPECT_EQ(actions->readings, (std::vector<double>{0, 0}));
  EXPECT_EQ(segments->selectedSegmentIndex(), -1);
}

TEST_F(UISegmentedControlTest, FromCodeTheSelectionSendsNothingAndIgnoresIndicesOutsideTheSegments) {
  segments->setSelectedSegmentIndex(1);
  segments->setSelectedSegmentIndex(3);
  EXPECT_EQ(segments->selectedSegmentIndex(), 1);
  segments->setSelectedSegmentIndex(-1);
  segments->setSelectedSegmentIndex(-2);
  EXPECT_EQ(segments->selectedSegmentIndex(), -1);
  EXPECT_EQ(actions->count(), 0u);
}

TEST_F(UISegmentedControlTest, EditingSegmentsKeepsTheSelectedOneOrDropsIt) {
  segments->setSelectedSegmentIndex(1);
  segments->insertSegmentWithTitle("Band", 0, false);
  segments->insertSegmentWithTitle("Last", 99, false);  // past the end: appended
  EXPECT_EQ(segments->titleForSegmentAtIndex(4), "Last");
  EXPECT_EQ(segments->selectedSegmentIndex(), 2);
  segments->removeSegmentAtIndex(2, false);
  EXPECT_EQ(segments->selectedSegmentIndex(), -1);
  segments->setSelectedSegmentIndex(3);
  segments->removeAllSegments();
  EXPECT_EQ(segments->numberOfSegments(), 0u);
  EXPECT_EQ(segments->selectedSegmentIndex(), -1);
}

}  // namespace
