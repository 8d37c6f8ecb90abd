// A title wider than the Now Playing screen scrolls as a marquee: at rest, then moving left until
// its copy stands where it began, then at rest again, on the run loop's clock alone. Drawn, the
// whole title is laid out (nothing ellipsized); covered by the panel, it rests.
#include <string>
#include <vector>

#include "PanelFixture.h"
#include "host/player/MPPlaybackControlsView.h"

namespace {

class TitleMarquee : public PanelTest {
 protected:
  host::MarqueeLabel& title() {
    auto* controls = static_cast<host::MPPlaybackControlsView*>(session().controlsView());
    return *controls->titleLabel();
  }
  void showTitle(const std::string& text) {
    host::PlayerTransport& track = session().transport();
    track.title = text;
    track.artist = "The Lowtide Quartet";
    track.duration = 200;
    track.position = 1;
    session().showTrack();
  }
  // The title's texts as drawn now, and the picture.
  std::vector<CGTextRecord> drawnTitle(CGImage* shot = nullptr) {
    std::vector<CGTextRecord> texts;
    CGSetTextRecorder([&](const CGTextRecord& t) {
      if (UIWindow::viewBeingDrawn() == &title()) texts.push_back(t);
    });
    const CGImage image = window()->snapshot(1);
    CGSetTextRecorder({});
    if (shot) *shot = image;
    return texts;
  }

  static constexpr const char* kLong = "A Very Long Title That Could Never Fit On One Line Of The Phone";
};

TEST_F(TitleMarquee, ALongTitleRestsScrollsAndComesBackWholeOnTheClock) {
  showTitle(kLong);
  ASSERT_TRUE(title().scrolls());
  ASSERT_TRUE(title().running());
  const double cycle = host::MarqueeLabel::kPause + (title().textWidth() + host::MarqueeLabel::kGap) / host::MarqueeLabel::kSpeed;
  CGImage atRest, later;
  std::vector<CGTextRecord> texts = drawnTitle(&atRest);
  ASSERT_FALSE(texts.empty());
  for (const CGTextRecord& t : texts) {
    EXPECT_EQ(t.text, kLong) << "the marquee draws the whole title";
    EXPECT_FALSE(t.truncated);
  }
  EXPECT_EQ(title().offset(), 0);
  advance(host::MarqueeLabel::kPause + 1);
  EXPECT_NEAR(title().offset(), host::MarqueeLabel::kSpeed, 1e-6);
  EXPECT_GE(drawnTitle().size(), 1u);
  // Where it stands depends on the clock alone: a cycle later it rests where it began.
  advance(cycle - host::MarqueeLabel::kPause - 1 + 0.5);
  EXPECT_NEAR(title().offset(), 0, 1e-6);
  drawnTitle(&later);
  EXPECT_EQ(atRest.rgba, later.rgba) << "a cycle later the screen differs";
}

TEST_F(TitleMarquee, AShortTitleStandsStillAndAsksForNoFrames) {
  showTitle("Short");
  EXPECT_FALSE(title().scrolls());
  EXPECT_EQ(title().offset(), 0);
  const uint64_t before = UIView::displayGeneration();
  advance(10);
  EXPECT_EQ(UIView::displayGeneration(), before) << "a title at rest keeps asking to be drawn";
}

TEST_F(TitleMarquee, RestsWhileThePanelCoversIt) {
  showTitle(kLong);
  openPanel();
  advance(1);
  session().transport().position = 2;
  session().showPosition();
  EXPECT_FALSE(title().running());
  EXPECT_EQ(title().offset(), 0);
  ASSERT_EQ(tap("\"Done\""), "");
  advance(1);
  session().transport().position = 3;
  session().showPosition();
  EXPECT_TRUE(title().running());
}

}  // namespace
