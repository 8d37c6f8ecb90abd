// Every screen a listener meets (the player, the panel's two pages, the options sheet, About,
// both preset dialogs, a row swiped for Delete), on every device profile at 1x and 2x: every
// text drawn is at least 11 points, stands out from what was drawn under it (4.5:1; 3:1 from
// 18 points, or 14 bold), and is shown whole. Each screen is then compared with its reference
// picture in tests/Lowtide/panel/reference/.
#include <string>
#include <vector>

#include "ImageCompare.h"
#include "PanelFixture.h"
#include "host/player/MarqueeLabel.h"
#include "uikit/UITableView.h"

namespace {

constexpr double kSmallestText = 11;

std::string describe(const CGTextRecord& t) {
  return "\"" + t.text + "\" at " + std::to_string(int(t.deviceRect.origin.x)) + "," +
         std::to_string(int(t.deviceRect.origin.y)) + " (pixels), " + std::to_string(t.font.size) + " pt" +
         (t.font.bold ? " bold" : "");
}

// Whether a view put into the window after the one that drew the text lies over all of it, as
// the panel lies over the player and a dialog or sheet over the panel: the listener does not
// read what is under them.
bool covered(UIWindow* window, UIView* drawer, CGRect rect) {
  UIView* top = drawer;
  while (top != nullptr && top->superview() != window) top = top->superview();
  if (top == nullptr) return false;  // the status bar, over everything
  bool later = false;
  for (const Ref<UIView>& sub : window->allSubviews()) {
    if (sub.get() == top) later = true;
    else if (later && !sub->isHidden() && sub->alpha() > 0 && CGRectIntersection(sub->frame(), rect) == rect) return true;
  }
  return false;
}

UITableView* findTable(UIView* view) {
  if (auto* table = dynamic_cast<UITableView*>(view)) return table;
  for (const Ref<UIView>& sub : view->allSubviews())
    if (UITableView* found = findTable(sub.get())) return found;
  return nullptr;
}

class Readability : public PanelTest, public ::testing::WithParamInterface<const char*> {
 protected:
  Readability() { deviceProfile_ = GetParam(); }

  // Lets animations and timers run their course.
  void settle() {
    now += 1;
    NSRunLoop::mainRunLoop()->fireDueTimers();
  }

  void checkScreen(const std::string& name) {
    settle();
    for (int scale : {1, 2}) {
      SCOPED_TRACE(name + " @" + std::to_string(scale) + "x on " + GetParam());
      std::vector<CGTextRecord> texts;
      CGSetTextRecorder([&](const CGTextRecord& t) {
        const CGRect r = t.deviceRect;
        const CGRect inPoints = CGRectMake(r.origin.x / scale, r.origin.y / scale, r.size.width / scale, r.size.height / scale);
        if (covered(window(), UIWindow::viewBeingDrawn(), inPoints)) return;
        texts.push_back(t);
        // A marquee lays its text out whole and clips it: cut, unless it scrolls into sight.
        if (auto* marquee = dynamic_cast<host::MarqueeLabel*>(UIWindow::viewBeingDrawn())) {
          EXPECT_TRUE(!marquee->scrolls() || marquee->running()) << describe(t) << " is cut, its marquee at rest";
        }
      });
      const CGImage shot = window()->snapshot(scale);
      CGSetTextRecorder({});
      EXPECT_GE(texts.size(), 4u);  // the status bar alone draws two
      for (const CGTextRecord& t : texts) {
        EXPECT_GE(t.font.size, kSmallestText) << describe(t);
        EXPECT_FALSE(t.truncated) << describe(t) << " is cut";
        const bool large = t.font.size >= 18 || (t.font.bold && t.font.size >= 14);
        const double contrast = CGColorContrastRatio(CGColorOver(t.colour, t.behind), t.behind);
        EXPECT_GE(contrast, large ? 3.0 : 4.5) << describe(t);
      }
      const std::string reference = std::string(TUNELY_SOURCE_DIR) + "/tests/Lowtide/panel/reference/" + name + "-" +
                                    GetParam() + "@" + std::to_string(scale) + "x.png";
      EXPECT_TRUE(image_compare::MatchesReference(shot, reference));
    }
  }
};

TEST_P(Readability, EveryScreenAtEveryScale) {
  host::PlayerTransport& track = session().transport();
  track.title = "Tunely Demo";
  track.artist = "The Lowtide Quartet";
  track.count = 1;
  track.duration = 28.8;
  track.position = 9.5;
  session().showTrack();
  checkScreen("player");

  writeDeviceFile(lowtide::kDebugMarkerPath, "");  // the Bands page shows
  writePresets({{"Bright", {"1", "80", "0", "4", "3000", "2", "2"}},
                {"Warm evening", {"1.2", "90", "3", "0", "400", "1", "0"}},
                {"Late night radio", {"0.8", "60", "1", "6", "8000", "3", "2"}}});
  openPanel();
  ASSERT_EQ(steps({flip("powerSwitch", true), flip("bassSwitch", true), segment("typeControl", 2)}), "");
  checkScreen("panel");

  ASSERT_EQ(tap("\"Options\""), "");
  checkScreen("options");

  ASSERT_EQ(steps({tap("\"Save\""), type("nameField", "Warm evening")}), "");
  checkScreen("save");
  ASSERT_EQ(tap("\"Cancel\""), "");

  ASSERT_EQ(steps({tap("\"Options\""), tap("\"Load\"")}), "");
  checkScreen("load");
  UITableView* table = findTable(window());
  ASSERT_NE(table, nullptr);
  ASSERT_FALSE(table->visibleCells().empty());
  table->visibleCells().front()->setShowingDeleteConfirmation(true, false);
  checkScreen("swiped");
  ASSERT_EQ(tap("\"Cancel\""), "");

  ASSERT_EQ(tap("\"About\""), "");
  checkScreen("about");
  ASSERT_EQ(tap("\"Dismiss\""), "");

  ASSERT_EQ(tap("\"Bands\""), "");
  checkScreen("bands");
}

INSTANTIATE_TEST_SUITE_P(Profiles, Readability, ::testing::Values("ios6", "ios7", "ios8"));

}  // namespace
