// A render with no window and no script is never looked at: the title's marquee rests, so the
// render does not start the font machinery only to measure a title nobody will see. A screen
// that can be seen keeps its marquee.
#include <gtest/gtest.h>

#include "host/player/MPPlaybackControlsView.h"
#include "host/player/MarqueeLabel.h"
#include "host/player/PlayerSession.h"

namespace {

host::MarqueeLabel* titleOf(host::PlayerSession& session) {
  return static_cast<host::MPPlaybackControlsView*>(session.controlsView())->titleLabel();
}

void showALongTitle(host::PlayerSession& session) {
  session.setUpControls();
  session.transport().title = std::string(200, 'W');
  session.transport().artist = "Artist";
  session.showTrack();
  session.transport().position = 1.0;
  session.showPosition();
}

TEST(UnseenScreen, TheTitleRestsOnlyWhereNothingCanSeeIt) {
  host::PlayerSession seen;
  showALongTitle(seen);
  ASSERT_NE(titleOf(seen), nullptr);
  EXPECT_TRUE(titleOf(seen)->running());

  host::PlayerSession unseen;
  unseen.setScreenNeverSeen();
  showALongTitle(unseen);
  ASSERT_NE(titleOf(unseen), nullptr);
  EXPECT_FALSE(titleOf(unseen)->running());
  EXPECT_EQ(titleOf(unseen)->text(), std::string(200, 'W'));  // it still shows the track
}

}  // namespace
