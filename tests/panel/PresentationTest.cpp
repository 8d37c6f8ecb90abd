// showCTRLS: where the panel goes, when it gets its backdrop, and what happens to earlier panels.
#include "Lowtide/panel/HazeTranslucentView.h"
#include "PanelFixture.h"
#include "host/player/MPDetailSlider.h"

namespace {

using lowtide::HazeTranslucentView;

using PanelPresentation = PanelTest;

HazeTranslucentView* backdropOf(lowtide::eqView& panel) {
  const auto& subs = panel.view()->allSubviews();
  return subs.empty() ? nullptr : dynamic_cast<HazeTranslucentView*>(subs.front().get());
}

TEST_F(PanelPresentation, ThePanelCoversTheScreenBelowTheStatusBarOverItsBackdrop) {
  lowtide::eqView& panel = openPanel();
  EXPECT_EQ(panel.view()->superview(), window());
  EXPECT_EQ(panel.view()->frame(), CGRectMake(0, 20, 320, 548));
  HazeTranslucentView* haze = backdropOf(panel);
  ASSERT_NE(haze, nullptr);
  EXPECT_EQ(haze->frame(), CGRectMake(0, 20, 320, 548));
  EXPECT_EQ(haze->translucentStyle(), 1);
  EXPECT_EQ(haze->translucentAlpha(), 1.0);
  EXPECT_TRUE(HazeTranslucentView::isItClearColor(panel.view()->backgroundColor()));
}

TEST_F(PanelPresentation, ASmallScreenOrCoreFoundation800GivesNoBackdrop) {
  host::applyDeviceProfile(*host::findDeviceProfile("ios6"));
  host::PlayerSession small;
  small.setUpControls();
  lowtide::eqView& panel = openPanel();
  EXPECT_EQ(panel.view()->frame(), CGRectMake(0, 20, 320, 460));
  EXPECT_EQ(backdropOf(panel), nullptr);

  host::applyDeviceProfile(*host::findDeviceProfile("ios7"));
  kCFCoreFoundationVersionNumber = 800.0;
  EXPECT_EQ(backdropOf(openPanel()), nullptr);
}

TEST_F(PanelPresentation, OpeningAgainLeavesOneLivePanel) {
  Weak<lowtide::eqView> first(&openPanel());
  Weak<UIView> firstView(first->view());
  lowtide::eqView& second = openPanel();
  EXPECT_FALSE(first);
  EXPECT_FALSE(firstView);
  EXPECT_EQ(lowtide::activePanel.get(), &second);
  ASSERT_EQ(window()->allSubviews().size(), 2u);  // the player's controls and the new panel
  EXPECT_EQ(window()->allSubviews().back().get(), second.view());
  EXPECT_EQ(tap("\"Done\""), "");
  EXPECT_EQ(second.view()->frame().origin.y, 7000);
}

TEST_F(PanelPresentation, ThePositionSliderStillSwapsTheButtonImage) {
  openPanel();
  EXPECT_EQ(tap("\"Done\""), "");
  ASSERT_NE(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  host::MPDetailSlider* slider = static_cast<host::MPPlaybackControlsView*>(lowtide::btn->superview())->slider();
  slider->beginTracking();
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  slider->endTracking();
  EXPECT_NE(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
}

}  // namespace
