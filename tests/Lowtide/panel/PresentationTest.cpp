// showCTRLS: where the panel goes, when it gets its backdrop, and what becomes of earlier panels.
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

TEST_F(PanelPresentation, OnePanelCoversTheScreenBelowTheStatusBarOverItsBackdrop) {
  Weak<lowtide::eqView> first(&openPanel());
  Weak<UIView> firstView(first->view());
  lowtide::eqView& p = openPanel();
  EXPECT_FALSE(first || firstView);
  ASSERT_EQ(window()->allSubviews().size(), 2u);  // the player's controls and the new panel
  EXPECT_EQ(window()->allSubviews().back().get(), p.view());
  EXPECT_EQ(p.view()->frame(), CGRectMake(0, 20, 320, 548));
  HazeTranslucentView* haze = backdropOf(p);
  ASSERT_NE(haze, nullptr);
  EXPECT_EQ(haze->frame(), CGRectMake(0, 20, 320, 548));
  EXPECT_TRUE(haze->translucentStyle() == 1 && haze->translucentAlpha() == 1.0);
  EXPECT_TRUE(HazeTranslucentView::isItClearColor(p.view()->backgroundColor()));

  // Closed, it leaves the player's controls as they were: a drag still swaps the button's image.
  EXPECT_EQ(tap("\"Done\""), "");
  auto* slider = static_cast<host::MPPlaybackControlsView*>(lowtide::btn->superview())->slider();
  slider->beginTracking();
  EXPECT_EQ(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
  slider->endTracking();
  EXPECT_NE(lowtide::btn->imageForState(UIControlStateNormal), nullptr);
}

TEST_F(PanelPresentation, ASmallScreenOrCoreFoundation800GivesNoBackdrop) {
  host::applyDeviceProfile(*host::findDeviceProfile("ios6"));
  host::PlayerSession small;
  small.setUpControls();
  lowtide::eqView& p = openPanel();
  EXPECT_EQ(p.view()->frame(), CGRectMake(0, 20, 320, 460));
  EXPECT_EQ(backdropOf(p), nullptr);
  host::applyDeviceProfile(*host::findDeviceProfile("ios7"));
  kCFCoreFoundationVersionNumber = 800.0;
  EXPECT_EQ(backdropOf(openPanel()), nullptr);
}

}  // namespace
