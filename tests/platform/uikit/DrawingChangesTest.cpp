// A window that redraws only what changed, into pixels it keeps, must end up with exactly the
// pixels a drawing of everything gives (but for a blur it holds back, and only until it is due),
// while drawing only the views that reach into what changed.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "UIKitFixture.h"
#include "uikit/UILabel.h"
#include "uikit/UIToolbar.h"

namespace {

// Counts its own drawings, by name.
class CountingView : public UIView {
 public:
  using UIView::UIView;
  std::map<std::string, int>* counts = nullptr;
  std::string name;
  CGColor colour{0.2, 0.4, 0.8, 1};
  void drawRect(CGContext& ctx, CGRect rect) override {
    if (counts) ++(*counts)[name];
    ctx.setFillColor(colour);
    ctx.fillRect(CGRectInset(rect, 4, 4));
  }
};

class DrawingChangesTest : public UIKitFixture {
 protected:
  static constexpr double kScale = 2;

  void SetUp() override {
    UIKitFixture::SetUp();
    window->setBackgroundColor(UIColor::whiteColor());
    // Under the frosted bar: a moving block and a label; over it: a label and a block.
    under = counted("under", CGRectMake(20, 100, 80, 80));
    window->addSubview(under);
    underLabel = make<UILabel>(CGRectMake(20, 300, 200, 30));
    underLabel->setText("Under the glass");
    window->addSubview(underLabel);
    bar = make<UIToolbar>(CGRectMake(0, 60, 320, 400));
    window->addSubview(bar);
    overLabel = make<UILabel>(CGRectMake(20, 420, 280, 30));
    overLabel->setText("On the glass");
    window->addSubview(overLabel);
    over = counted("over", CGRectMake(200, 480, 60, 60));
    window->addSubview(over);
    bitmap = std::make_unique<CGBitmapContext>(window->bounds().size, kScale);
    window->drawChanges(bitmap->context(), true, now);
    counts.clear();
  }

  Ref<CountingView> counted(const std::string& name, CGRect frame) {
    Ref<CountingView> v = make<CountingView>(frame);
    v->counts = &counts;
    v->name = name;
    return v;
  }

  // Draws the changes, then compares the kept pixels with a drawing of everything.
  ::testing::AssertionResult drawsAsEverything() {
    window->drawChanges(bitmap->context(), false, now);
    const std::map<std::string, int> drawn = counts;  // the snapshot draws everything: not counted
    const CGImage kept = bitmap->image(), whole = window->snapshot(kScale);
    counts = drawn;
    if (kept.rgba == whole.rgba) return ::testing::AssertionSuccess();
    size_t differing = 0;
    for (size_t i = 0; i < kept.rgba.size(); ++i) differing += kept.rgba[i] != whole.rgba[i];
    return ::testing::AssertionFailure() << differing << " channel values differ from a drawing of everything";
  }

  std::map<std::string, int> counts;
  Ref<CountingView> under, over;
  Ref<UILabel> underLabel, overLabel;
  Ref<UIToolbar> bar;
  std::unique_ptr<CGBitmapContext> bitmap;
};

TEST_F(DrawingChangesTest, OnlyTheViewsMarkedOrReachedAreDrawnAgain) {
  window->drawChanges(bitmap->context(), false, now);
  EXPECT_TRUE(counts.empty()) << "nothing changed, yet something was drawn";
  over->colour = CGColor{0.9, 0.1, 0.1, 1};
  over->setNeedsDisplay();
  EXPECT_TRUE(drawsAsEverything());
  EXPECT_EQ(counts["over"], 1);
  EXPECT_EQ(counts["under"], 0) << "a view far from the change was drawn again";
  // Content that changes without being marked is not drawn: needsDisplay is what counts.
  over->colour = CGColor{0.1, 0.9, 0.1, 1};
  window->drawChanges(bitmap->context(), false, now);
  EXPECT_EQ(counts["over"], 1);
}

TEST_F(DrawingChangesTest, ChangesOverTheGlassKeepItsBlurAndMatchAFullDrawing) {
  overLabel->setText("On the glass, longer now");
  EXPECT_TRUE(drawsAsEverything());
  over->setFrame(CGRectMake(40, 470, 60, 60));  // moved: both places drawn again
  EXPECT_TRUE(drawsAsEverything());
  over->setHidden(true);
  EXPECT_TRUE(drawsAsEverything());
  over->setHidden(false);
  over->setAlpha(0.5);
  EXPECT_TRUE(drawsAsEverything());
  overLabel->removeFromSuperview();
  EXPECT_TRUE(drawsAsEverything());
  window->addSubview(overLabel);
  EXPECT_TRUE(drawsAsEverything());
  EXPECT_EQ(counts["under"], 0) << "what lies under the glass was drawn again though nothing of it changed";
}

TEST_F(DrawingChangesTest, AChangeUnderTheGlassBlursAgainAtMostEveryInterval) {
  now += 1;
  underLabel->setText("Changed under the glass");
  EXPECT_TRUE(drawsAsEverything()) << "the first change after a quiet spell is blurred at once";
  EXPECT_FALSE(window->nextBlurDue());
  // A second change soon after keeps the blur as it was, until its time comes.
  now += UIWindow::kBlurInterval / 5;
  under->setFrame(CGRectMake(60, 120, 80, 80));
  EXPECT_FALSE(drawsAsEverything()) << "the blur was made again sooner than the interval allows";
  ASSERT_TRUE(window->nextBlurDue());
  EXPECT_DOUBLE_EQ(*window->nextBlurDue(), now - UIWindow::kBlurInterval / 5 + UIWindow::kBlurInterval);
  now = *window->nextBlurDue();
  EXPECT_TRUE(drawsAsEverything()) << "the blur held back was not made once due";
  EXPECT_FALSE(window->nextBlurDue());
}

TEST_F(DrawingChangesTest, ChangesTheViewsDoNotTrackDrawEverything) {
  window->setStatusBarView(counted("status", CGRectMake(0, 0, 320, 20)).get());
  window->drawChanges(bitmap->context(), false, now);
  EXPECT_EQ(counts["under"], 1);
  EXPECT_EQ(counts["status"], 1);
  // A snapshot at another scale neither uses nor spoils the blur the window keeps.
  (void)window->snapshot(1);
  counts.clear();
  overLabel->setText("After a snapshot");
  EXPECT_TRUE(drawsAsEverything());
}

}  // namespace
