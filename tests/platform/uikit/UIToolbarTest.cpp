// The toolbar's material is a real blur of what lies behind it: drawn over sharp stripes, the
// pixels under a black toolbar come out smoothed and darkened; at alpha 0 they stay sharp; an
// opaque bar hides them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "uikit/UIToolbar.h"
#include "uikit/UIWindow.h"

namespace bars_toolbar_test {

// Black and white vertical stripes, 2 points each.
class StripesView : public UIView {
 public:
  using UIView::UIView;
  void drawRect(CGContext& ctx, CGRect rect) override {
    ctx.setFillColor(CGColor{0, 0, 0, 1});
    for (double x = 0; x < rect.size.width; x += 4) ctx.fillRect(CGRectMake(x, 0, 2, rect.size.height));
  }
};

struct Region {
  double meanLuminance = 0;    // 0..255
  double meanNeighbourStep = 0;  // mean |difference| between horizontally adjacent pixels
};

double luminance(const CGImage& image, int x, int y) {
  const uint8_t* p = image.rgba.data() + (size_t(y) * image.width + size_t(x)) * 4;
  return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

Region measure(const CGImage& image, int x0, int y0, int x1, int y1) {
  Region r;
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x, ++n) {
      r.meanLuminance += luminance(image, x, y);
      r.meanNeighbourStep += std::abs(luminance(image, x + 1, y) - luminance(image, x, y));
    }
  r.meanLuminance /= n;
  r.meanNeighbourStep /= n;
  return r;
}

class ToolbarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = make<UIWindow>(CGRectMake(0, 0, 200, 120));
    window->setBackgroundColor(UIColor::whiteColor());
    Ref<StripesView> stripes = make<StripesView>(window->bounds());
    window->addSubview(stripes);
    toolbar = make<UIToolbar>(CGRectMake(0, 60, 200, 60));
    toolbar->setBarStyle(UIBarStyleBlack);
    window->addSubview(toolbar);
  }
  // The sharp stripes above the toolbar, and what the toolbar shows (away from its edges).
  Region outside(const CGImage& image) const { return measure(image, 20, 10, 180, 50); }
  Region under(const CGImage& image) const { return measure(image, 20, 75, 180, 115); }

  Ref<UIWindow> window;
  Ref<UIToolbar> toolbar;
};

TEST_F(ToolbarTest, BlackToolbarBlursAndDarkensWhatLiesBehindIt) {
  const CGImage image = window->snapshot(1);
  const Region sharp = outside(image), frosted = under(image);
  ASSERT_GT(sharp.meanNeighbourStep, 100);  // the stripes really are sharp
  EXPECT_LT(frosted.meanNeighbourStep, sharp.meanNeighbourStep / 20);
  EXPECT_LT(frosted.meanLuminance, sharp.meanLuminance * 0.6);
  // Still glass, not paint: the light behind shows through the dark tint.
  EXPECT_GT(frosted.meanLuminance, 0.1 * 255 * 0.7 + 10);

  // The same at 2 pixels a point.
  const CGImage sharp2x = window->snapshot(2);
  EXPECT_LT(measure(sharp2x, 40, 150, 360, 230).meanNeighbourStep, measure(sharp2x, 40, 20, 360, 100).meanNeighbourStep / 20);

  // The default style frosts white.
  toolbar->setBarStyle(UIBarStyleDefault);
  EXPECT_GT(under(window->snapshot(1)).meanLuminance, sharp.meanLuminance * 1.4);
}

TEST_F(ToolbarTest, TransparentToolbarLeavesTheStripesSharp) {
  toolbar->setAlpha(0);
  const CGImage image = window->snapshot(1);
  for (int x = 0; x < 199; ++x) ASSERT_EQ(luminance(image, x, 90), luminance(image, x, 30)) << "x " << x;

  // Half transparent: part frosted, part sharp.
  toolbar->setAlpha(0.5);
  const CGImage half = window->snapshot(1);
  const double step = under(half).meanNeighbourStep;
  EXPECT_LT(step, outside(half).meanNeighbourStep * 0.75);
  EXPECT_GT(step, outside(half).meanNeighbourStep * 0.25);
}

TEST_F(ToolbarTest, OpaqueBarAndBarTintColour) {
  toolbar->setBarTintColor(UIColor::colorWithRed(1, 0, 0, 1).get());
  const CGImage tinted = window->snapshot(1);
  const uint8_t* p = tinted.rgba.data() + (size_t(90) * tinted.width + 100) * 4;
  EXPECT_GT(p[0], p[1] + 100);  // reddish glass
  EXPECT_LT(under(tinted).meanNeighbourStep, 5);

  toolbar->setTranslucent(false);
  const CGImage opaque = window->snapshot(1);
  for (int x = 10; x < 190; ++x) {
    const uint8_t* q = opaque.rgba.data() + (size_t(90) * opaque.width + size_t(x)) * 4;
    ASSERT_EQ(q[0], 255);
    ASSERT_EQ(q[1], 0);
  }
  // A clear tint means the bar style's own colour: near black for the black style.
  toolbar->setBarTintColor(UIColor::clearColor());
  EXPECT_LT(under(window->snapshot(1)).meanLuminance, 0.15 * 255);
}

}  // namespace bars_toolbar_test
