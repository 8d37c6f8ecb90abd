#include "uikit/UISwitch.h"

#include "ControlsTestSupport.h"

namespace {

using controls_test::TouchTest;

class UISwitchTest : public TouchTest {
 protected:
  void SetUp() override {
    TouchTest::SetUp();
    toggle = make<UISwitch>(CGRectMake(100, 100, 80, 80));
    window->addSubview(toggle);
    listenForValueChanged(toggle.get(), [](id sender) { return static_cast<UISwitch*>(sender)->isOn() ? 1.0 : 0.0; });
  }
  Ref<UISwitch> toggle;
};

TEST_F(UISwitchTest, KeepsThePlatformSizeWhateverFrameItIsGiven) {
  EXPECT_EQ(toggle->frame(), CGRectMake(100, 100, 51, 31));
  toggle->setFrame(CGRectMake(10, 20, 200, 10));
  EXPECT_EQ(toggle->frame(), CGRectMake(10, 20, 51, 31));
}

TEST_F(UISwitchTest, EachTapTogglesItAndSendsValueChangedOnce) {
  tap(centreOf(toggle.get()));
  EXPECT_TRUE(toggle->isOn());
  tap(centreOf(toggle.get()));
  EXPECT_FALSE(toggle->isOn());
  // The target saw the new state each time.
  EXPECT_EQ(actions->readings, (std::vector<double>{1, 0}));
}

TEST_F(UISwitchTest, ADragDecidesByItsDirectionAndReportsOnlyAChange) {
  const CGPoint c = centreOf(toggle.get());
  down(CGPointMake(c.x - 15, c.y));
  move(CGPointMake(c.x + 15, c.y));
  EXPECT_FALSE(toggle->isOn());  // decided when the finger lifts
  up(CGPointMake(c.x + 15, c.y));
  EXPECT_TRUE(toggle->isOn());
  drag(CGPointMake(c.x - 15, c.y), 30, 0);  // towards "on" again: no change, no action
  EXPECT_TRUE(toggle->isOn());
  EXPECT_EQ(actions->readings, (std::vector<double>{1}));
}

TEST_F(UISwitchTest, SetFromCodeOrDisabledItSendsNothing) {
  toggle->setOn(true);
  toggle->setOn(false, true);
  toggle->setOn(true, true);
  EXPECT_TRUE(toggle->isOn());
  toggle->setEnabled(false);
  tap(centreOf(toggle.get()));
  EXPECT_TRUE(toggle->isOn());
  EXPECT_EQ(actions->count(), 0u);
}

}  // namespace
