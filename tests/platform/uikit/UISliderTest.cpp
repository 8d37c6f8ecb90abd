#include "uikit/UISlider.h"

#include "ControlsTestSupport.h"

namespace {

using controls_test::TouchTest;

class UISliderTest : public TouchTest {
 protected:
  void SetUp() override {
    TouchTest::SetUp();
    slider = make<UISlider>(CGRectMake(20, 100, 200, 34));
    slider->setMinimumValue(-12);
    slider->setMaximumValue(12);
    slider->setValue(0);
    window->addSubview(slider);
    listenForValueChanged(slider.get(), [](id sender) { return static_cast<UISlider*>(sender)->value(); });
  }
  CGPoint thumb() const {
    const CGRect b = slider->bounds();
    return centreOf(slider.get(), slider->thumbRectForBounds(b, slider->trackRectForBounds(b), slider->value()));
  }
  Ref<UISlider> slider;
};

TEST_F(UISliderTest, DraggedPastEitherEndStaysInRangeAndReportsEveryMoveThatChangesIt) {
  const CGPoint start = thumb();
  EXPECT_EQ(down(start), slider.get());
  move(CGPointMake(start.x + 30, start.y));
  const float partWay = slider->value();
  EXPECT_GT(partWay, 0);
  EXPECT_LT(partWay, 12);
  move(CGPointMake(start.x + 400, start.y + 30));  // far past the right end, and below
  EXPECT_EQ(slider->value(), 12);
  move(CGPointMake(start.x + 900, start.y));       // further still: nothing changes
  move(CGPointMake(start.x - 500, start.y));       // past the left end
  EXPECT_EQ(slider->value(), -12);
  up(CGPointMake(start.x - 500, start.y));
  EXPECT_EQ(actions->readings, (std::vector<double>{partWay, 12, -12}));
}

TEST_F(UISliderTest, TheThumbKeepsItsPlaceUnderTheFingerAndANonContinuousSliderReportsOnceOnRelease) {
  slider->setContinuous(false);
  // Grabbed off its centre, the thumb does not jump: a move of nothing changes nothing.
  const CGPoint grab = CGPointMake(thumb().x + 9, thumb().y);
  down(grab);
  move(grab);
  EXPECT_EQ(slider->value(), 0);
  move(CGPointMake(grab.x + 20, grab.y));
  move(CGPointMake(grab.x + 40, grab.y));
  EXPECT_GT(slider->value(), 0);
  EXPECT_EQ(actions->count(), 0u);
  up(CGPointMake(grab.x + 40, grab.y));
  EXPECT_EQ(actions->readings, (std::vector<double>{slider->value()}));
}

TEST_F(UISliderTest, OnlyTheThumbStartsADragButItAnswersWellAboveTheSlider) {
  const CGPoint start = thumb();
  // On the track, away from the thumb: nothing moves.
  drag(CGPointMake(start.x - 70, start.y), 40, 0);
  EXPECT_EQ(slider->value(), 0);
  // 20 points above the thumb's centre is outside the slider's bounds but inside the
  // 44-point area around the thumb.
  const CGPoint above = CGPointMake(start.x, start.y - 20);
  ASSERT_LT(above.y, slider->frame().origin.y);
  EXPECT_EQ(down(above), slider.get());
  move(CGPointMake(above.x + 50, above.y));
  up(CGPointMake(above.x + 50, above.y));
  EXPECT_GT(slider->value(), 0);
  EXPECT_EQ(actions->count(), 1u);
}

TEST_F(UISliderTest, DisabledItSendsNothingAndStaysPut) {
  slider->setEnabled(false);
  drag(thumb(), 80, 0);
  EXPECT_EQ(slider->value(), 0);
  EXPECT_EQ(actions->count(), 0u);
}

TEST_F(UISliderTest, SetFromCodeItIsClampedAndSendsNothing) {
  slider->setValue(40);
  EXPECT_EQ(slider->value(), 12);
  slider->setValue(-40, true);
  EXPECT_EQ(slider->value(), -12);
  // A minimum above the maximum raises the maximum, and the other way round; the value follows.
  slider->setMinimumValue(20);
  EXPECT_EQ(slider->maximumValue(), 20);
  EXPECT_EQ(slider->value(), 20);
  slider->setMaximumValue(5);
  EXPECT_EQ(slider->minimumValue(), 5);
  EXPECT_EQ(slider->value(), 5);
  EXPECT_EQ(actions->count(), 0u);
}

}  // namespace
