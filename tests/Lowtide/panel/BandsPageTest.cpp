// The Bands page as the installed layout draws it on every device: six sliders evenly spaced
// that never touch, each with a read-out of its gain beside its name, which follows the slider
// when the page opens, under a finger, and when code moves it.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "PanelFixture.h"
#include "uikit/UILabel.h"

namespace {

std::string decibels(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.1f dB", double(value));
  return text;
}

CGRect inWindow(const UIView* view) { return view->convertRectToView(view->bounds(), nullptr); }

// The label that sits beside the slider in its row and reads "... dB".
UILabel* readoutOf(const UISlider* slider) {
  for (const Ref<UIView>& sibling : slider->superview()->allSubviews()) {
    auto* label = dynamic_cast<UILabel*>(sibling.get());
    if (label != nullptr && label->text().size() > 3 && label->text().ends_with(" dB")) return label;
  }
  return nullptr;
}

class BandsPage : public PanelTest, public ::testing::WithParamInterface<const char*> {
 protected:
  BandsPage() { deviceProfile_ = GetParam(); }

  lowtide::eqView& openBands() {
    writeDeviceFile(lowtide::kDebugMarkerPath, "");
    lowtide::eqView& p = openPanel();
    EXPECT_EQ(tap("\"Bands\""), "");
    now += 1;  // the page's scroll animation ends
    NSRunLoop::mainRunLoop()->fireDueTimers();
    return p;
  }
  static std::vector<UISlider*> bands(lowtide::eqView& p) {
    return {p.plus32.get(), p.plus128.get(), p.plus512.get(), p.plus2048.get(), p.plus8192.get(), p.plus16k.get()};
  }
};

TEST_P(BandsPage, SixSlidersEvenlySpacedApartEachWithItsReadout) {
  lowtide::eqView& p = openBands();
  const std::vector<UISlider*> sliders = bands(p);
  std::vector<CGRect> frames;
  for (UISlider* s : sliders) {
    ASSERT_NE(s, nullptr);
    const CGRect f = inWindow(s);
    frames.push_back(f);
    EXPECT_GE(f.origin.x, 16);  // on screen, inside the margins
    EXPECT_LE(f.origin.x + f.size.width, 304);
    UILabel* readout = readoutOf(s);
    ASSERT_NE(readout, nullptr) << s->accessibilityIdentifier();
    EXPECT_EQ(readout->text(), "+0.0 dB");
    // Above its own slider, inside its column.
    const CGRect r = inWindow(readout);
    EXPECT_LE(r.origin.y + r.size.height, f.origin.y + f.size.height / 2) << s->accessibilityIdentifier();
    EXPECT_GE(r.origin.x, f.origin.x);
    EXPECT_LE(r.origin.x + r.size.width, f.origin.x + f.size.width + 0.5);
  }
  // No two sliders' frames (which hold the thumbs wherever they are) come within 8 points.
  for (size_t i = 0; i < frames.size(); ++i)
    for (size_t j = i + 1; j < frames.size(); ++j)
      EXPECT_FALSE(CGRectIntersectsRect(CGRectInset(frames[i], -4, -4), CGRectInset(frames[j], -4, -4)))
          << sliders[i]->accessibilityIdentifier() << " and " << sliders[j]->accessibilityIdentifier();
  // Three rows of two, the rows at one pitch, the columns of one width.
  for (size_t row = 0; row < 3; ++row) {
    EXPECT_EQ(frames[row].origin.y, frames[row + 3].origin.y);
    EXPECT_EQ(frames[row].size.width, frames[row + 3].size.width);
  }
  EXPECT_NEAR(frames[1].origin.y - frames[0].origin.y, frames[2].origin.y - frames[1].origin.y, 0.5);
}

TEST_P(BandsPage, AReadoutFollowsItsSliderUnderAFingerAndFromCode) {
  lowtide::eqView& p = openBands();
  for (UISlider* s : bands(p)) ASSERT_TRUE(s != nullptr && readoutOf(s) != nullptr);
  ASSERT_EQ(steps({slide("plus2048", 6), slide("plus32", -7.5)}), "");
  EXPECT_NEAR(p.plus2048->value(), 6, 0.2);
  EXPECT_EQ(readoutOf(p.plus2048.get())->text(), decibels(p.plus2048->value()));
  EXPECT_EQ(readoutOf(p.plus32.get())->text(), decibels(p.plus32->value()));
  EXPECT_EQ(readoutOf(p.plus128.get())->text(), "+0.0 dB");  // its neighbour did not move

  p.plus16k->setValue(-3.5f);
  EXPECT_EQ(readoutOf(p.plus16k.get())->text(), "-3.5 dB");
}

INSTANTIATE_TEST_SUITE_P(Profiles, BandsPage, ::testing::Values("ios6", "ios7", "ios8"));

}  // namespace
