#include "uikit/UIScrollView.h"

#include "ControlsTestSupport.h"
#include "uikit/UISlider.h"

namespace {

using controls_test::TouchTest;

// Two pages of 320 x 200 side by side, each a plain view that passes its touches on.
class UIScrollViewTest : public TouchTest {
 protected:
  void SetUp() override {
    TouchTest::SetUp();
    scroll = make<UIScrollView>(CGRectMake(0, 100, 320, 200));
    scroll->setContentSize(CGSizeMake(640, 200));
    scroll->setDelegate(actions.get());
    for (int i = 0; i < 2; ++i) {
      Ref<UIView> page = make<UIView>(CGRectMake(320 * i, 0, 320, 200));
      scroll->addSubview(page);
    }
    window->addSubview(scroll);
  }
  int calls(const char* selector) { return actions->delegateCalls[selector]; }
  CGPoint middle() const { return CGPointMake(160, 200); }
  Ref<UIScrollView> scroll;
};

TEST_F(UIScrollViewTest, AnAnimatedOffsetIsFinalAtOnceAndShownMovingOnTheRunLoopClock) {
  EXPECT_TRUE(scroll->clipsToBounds());
  scroll->setContentOffset(CGPointMake(320, 0), true);
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(320, 0));
  EXPECT_EQ(scroll->presentationBoundsOrigin().x, 0);
  EXPECT_EQ(calls("scrollViewDidScroll:"), 1);
  advance(0.1);
  const double partWay = scroll->presentationBoundsOrigin().x;
  EXPECT_GT(partWay, 0);
  EXPECT_LT(partWay, 320);
  EXPECT_EQ(calls("scrollViewDidEndScrollingAnimation:"), 0);
  advance(0.1);
  EXPECT_GT(scroll->presentationBoundsOrigin().x, partWay);
  advance(0.2);
  EXPECT_EQ(scroll->presentationBoundsOrigin().x, 320);
  EXPECT_EQ(calls("scrollViewDidEndScrollingAnimation:"), 1);
}

TEST_F(UIScrollViewTest, APagedDragSettlesOnTheNextPageOnlyPastAThirdOfAPage) {
  scroll->setPagingEnabled(true);
  drag(middle(), -90, 0);  // less than a third: back to the first page
  EXPECT_EQ(scroll->contentOffset(), CGPointZero);
  advance(0.5);
  drag(middle(), -120, 10);
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(320, 0));
  EXPECT_LT(scroll->presentationBoundsOrigin().x, 320);  // still on its way
  advance(0.5);
  EXPECT_EQ(scroll->presentationBoundsOrigin().x, 320);
  EXPECT_EQ(calls("scrollViewDidEndDecelerating:"), 2);
  drag(middle(), -300, 0);  // past the last page: stays on it
  advance(0.5);
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(320, 0));
  drag(middle(), 200, 0);
  EXPECT_EQ(scroll->contentOffset(), CGPointZero);
}

TEST_F(UIScrollViewTest, WithoutPagingTheContentFollowsTheFingerAndEndsWithinItsEdges) {
  scroll->setBounces(false);
  down(middle());
  move(CGPointMake(100, 230));  // only the scrollable direction moves
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(60, 0));
  move(CGPointMake(-400, 200));
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(320, 0));
  up(CGPointMake(-400, 200));
  // A bouncing scroll view lets the finger pull past the edge, less than the finger moved, and
  // springs back when it lets go.
  scroll->setBounces(true);
  down(middle());
  move(CGPointMake(100, 200));
  const double pulled = scroll->contentOffset().x;
  EXPECT_GT(pulled, 320);
  EXPECT_LT(pulled, 380);
  up(CGPointMake(100, 200));
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(320, 0));
  // Without scrolling, a drag moves nothing.
  scroll->setScrollEnabled(false);
  drag(middle(), 150, 0);
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(320, 0));
}

TEST_F(UIScrollViewTest, AFingerStopsMovingContentWhereTheScreenShowsIt) {
  scroll->setContentOffset(CGPointMake(320, 0), true);
  advance(0.15);
  const double shown = scroll->presentationBoundsOrigin().x;
  down(middle());
  EXPECT_EQ(scroll->contentOffset().x, shown);
  EXPECT_EQ(scroll->presentationBoundsOrigin().x, shown);
  up(middle());
  advance(1);
  EXPECT_EQ(calls("scrollViewDidEndScrollingAnimation:"), 0);  // it never ended: it was stopped
}

TEST_F(UIScrollViewTest, ASliderOnTheSecondPageIsHitAndKeepsItsOwnDrag) {
  Ref<UISlider> slider = make<UISlider>(CGRectMake(340, 80, 200, 34));
  slider->setValue(0.5);
  scroll->addSubview(slider);
  scroll->setContentOffset(CGPointMake(320, 0));
  const CGRect b = slider->bounds();
  const CGPoint thumb = centreOf(slider.get(), slider->thumbRectForBounds(b, slider->trackRectForBounds(b), 0.5));
  EXPECT_EQ(window->hitTest(thumb, nullptr), slider.get());
  drag(thumb, 40, 0);
  EXPECT_GT(slider->value(), 0.5);
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(320, 0));
}

}  // namespace
