// Touches: hit-testing through the tree, the touched view keeping its touch, and controls turning
// touch phases into their events.
#include <gtest/gtest.h>

#include "UIKitFixture.h"
#include "uikit/UIButton.h"

namespace {

class Recorder : public NSObject {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addMethod(cls, sel_registerName("tapped:"), &tapped, "v@:@");
    class_addMethod(cls, sel_registerName("touchedWithEvent:event:"), &withEvent, "v@:@@");
    class_addMethod(cls, sel_registerName("outside"), &outside, "v@:");
  }
  static inline int taps = 0, withEvents = 0, outsides = 0;
  static inline id lastEvent = nullptr;

 private:
  static void tapped(id, SEL, id) { ++taps; }
  static void withEvent(id, SEL, id, id event) {
    ++withEvents;
    lastEvent = event;
  }
  static void outside(id, SEL) { ++outsides; }
};
OBJC_CLASS_WITH_MEMBERS(Recorder, NSObject)

class TouchDeliveryTest : public UIKitFixture {
 protected:
  void SetUp() override {
    UIKitFixture::SetUp();
    Recorder::taps = Recorder::withEvents = Recorder::outsides = 0;
    button = make<UIButton>();
    button->setFrame(CGRectMake(100, 100, 80, 40));
    window->addSubview(button);
    recorder = make<Recorder>();
    button->addTarget(recorder.get(), sel_registerName("tapped:"), UIControlEventTouchUpInside);
    button->addTarget(recorder.get(), sel_registerName("touchedWithEvent:event:"), UIControlEventTouchDown);
    button->addTarget(recorder.get(), sel_registerName("outside"), UIControlEventTouchUpOutside);
  }
  Ref<UIButton> button;
  Ref<Recorder> recorder;
};

TEST_F(TouchDeliveryTest, ATapSendsEachFormOfActionAndTheHighlightFollowsTheFinger) {
  EXPECT_EQ(touch(UITouchPhase::Began, 140, 120), button.get());
  EXPECT_TRUE(button->isHighlighted());
  EXPECT_EQ(Recorder::withEvents, 1);
  EXPECT_NE(Recorder::lastEvent, nullptr);
  touch(UITouchPhase::Moved, 400, 400);  // far off: no longer highlighted
  EXPECT_FALSE(button->isHighlighted());
  touch(UITouchPhase::Moved, 150, 125);  // back
  EXPECT_TRUE(button->isHighlighted());
  touch(UITouchPhase::Ended, 150, 125);
  EXPECT_FALSE(button->isHighlighted());
  EXPECT_EQ(Recorder::taps, 1);
  EXPECT_EQ(Recorder::outsides, 0);
}

TEST_F(TouchDeliveryTest, ADragThatEndsOutsideSendsNoTapButKeepsItsTouch) {
  touch(UITouchPhase::Began, 140, 120);
  // The button keeps the touch though the finger ends over the window.
  EXPECT_EQ(touch(UITouchPhase::Ended, 300, 500), button.get());
  EXPECT_EQ(Recorder::taps, 0);
  EXPECT_EQ(Recorder::outsides, 1);
}

TEST_F(TouchDeliveryTest, ADisabledControlSendsNothing) {
  button->setEnabled(false);
  tap(140, 120);
  EXPECT_EQ(Recorder::taps + Recorder::withEvents + Recorder::outsides, 0);
  EXPECT_FALSE(button->isHighlighted());
}

TEST_F(TouchDeliveryTest, ATargetThatWentAwayIsSkippedNotCalled) {
  recorder = nullptr;  // the only strong reference
  tap(140, 120);
  EXPECT_EQ(Recorder::taps + Recorder::withEvents, 0);
}

TEST_F(TouchDeliveryTest, HitTestingSkipsHiddenTransparentAndClippedViewsFrontmostFirst) {
  Ref<UIView> clip = make<UIView>(CGRectMake(0, 300, 100, 100));
  clip->setClipsToBounds(true);
  Ref<UIView> inside = make<UIView>(CGRectMake(10, 10, 50, 50));
  Ref<UIView> sticking = make<UIView>(CGRectMake(80, 10, 100, 50));  // half outside its superview
  clip->addSubview(inside);
  clip->addSubview(sticking);
  window->addSubview(clip);
  EXPECT_EQ(window->hitTest(CGPointMake(20, 320), nullptr), inside.get());
  EXPECT_EQ(window->hitTest(CGPointMake(90, 320), nullptr), sticking.get());
  EXPECT_EQ(window->hitTest(CGPointMake(150, 320), nullptr), window.get());  // clipped part

  Ref<UIView> cover = make<UIView>(CGRectMake(0, 300, 100, 100));
  window->addSubview(cover);  // in front
  EXPECT_EQ(window->hitTest(CGPointMake(20, 320), nullptr), cover.get());
  cover->setHidden(true);
  EXPECT_EQ(window->hitTest(CGPointMake(20, 320), nullptr), inside.get());
  cover->setHidden(false);
  cover->setAlpha(0.0);
  EXPECT_EQ(window->hitTest(CGPointMake(20, 320), nullptr), inside.get());
  cover->setAlpha(1.0);
  cover->setUserInteractionEnabled(false);
  EXPECT_EQ(window->hitTest(CGPointMake(20, 320), nullptr), inside.get());
  // A scrolled superview (its bounds' origin moved) shifts what lies under the finger.
  clip->setBounds(CGRectMake(0, 40, 100, 100));
  EXPECT_EQ(window->hitTest(CGPointMake(20, 310), nullptr), inside.get());
  EXPECT_EQ(window->hitTest(CGPointMake(20, 330), nullptr), clip.get());
  EXPECT_EQ(inside->convertPointFromView(CGPointMake(20, 310), nullptr), CGPointMake(10, 40));
}

TEST_F(TouchDeliveryTest, AnAnimatingViewIsHitAtItsFinalFrameWhileTheScreenShowsItMoving) {
  UIView::animateWithDuration(0.5, [&] { button->setFrame(CGRectMake(100, 400, 80, 40)); });
  EXPECT_EQ(button->frame(), CGRectMake(100, 400, 80, 40));
  EXPECT_EQ(button->presentationFrame(), CGRectMake(100, 100, 80, 40));
  EXPECT_EQ(window->hitTest(CGPointMake(140, 420), nullptr), button.get());
  advance(0.25);
  EXPECT_NEAR(button->presentationFrame().origin.y, 250, 1e-9);  // half way on an eased curve
  EXPECT_TRUE(UIView::animationsRunning());
  advance(0.25);
  EXPECT_EQ(button->presentationFrame(), button->frame());
  EXPECT_FALSE(UIView::animationsRunning());
}

}  // namespace
