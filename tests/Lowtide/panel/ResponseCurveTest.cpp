// The response curve on the panel's first page: flat without crosstalk while both stages are
// off; after a control moves, at once the curve of the chain then in force, and different on
// screen; a new stream shown within a quarter second by the curve's own watch, without anything
// redrawn while nothing changes.
#include "Lowtide/panel/ResponseCurveView.h"
#include "Lowtide/response/LiveChain.h"
#include "PanelFixture.h"

namespace {

namespace eq = lowtide;
using PanelCurve = PanelTest;

// The pixels of `view` in a screenshot of its window at 2 pixels a point.
CGImage pixelsOf(UIWindow& window, const UIView& view) {
  const CGImage shot = window.snapshot(2);
  const CGRect r = view.convertRectToView(view.bounds(), nullptr);
  CGImage part;
  part.width = uint32_t(r.size.width * 2);
  part.height = uint32_t(r.size.height * 2);
  for (uint32_t y = 0; y < part.height; ++y) {
    const size_t row = (size_t(r.origin.y * 2) + y) * shot.width + size_t(r.origin.x * 2);
    part.rgba.insert(part.rgba.end(), shot.rgba.begin() + long(row * 4), shot.rgba.begin() + long((row + part.width) * 4));
  }
  return part;
}

size_t differingPixels(const CGImage& a, const CGImage& b) {
  size_t n = 0;
  for (size_t i = 0; i + 3 < a.rgba.size(); i += 4)
    if (std::abs(int(a.rgba[i]) - int(b.rgba[i])) + std::abs(int(a.rgba[i + 1]) - int(b.rgba[i + 1])) +
            std::abs(int(a.rgba[i + 2]) - int(b.rgba[i + 2])) > 48)
      ++n;
  return n;
}

TEST_F(PanelCurve, FollowsEveryControlAtOnceAndANewStreamWithinAQuarterSecond) {
  eq::streamChannels = 2;
  eq::prepareEq(44100);  // a stereo stream, both stages off
  eq::ResponseCurveView& view = *openPanel().curveView;
  const eq::ResponseCurve& curve = view.curve();
  ASSERT_EQ(curve.points.size(), eq::responseCurve(eq::liveChain(2), 48).points.size());
  for (const eq::CurvePoint& p : curve.points) EXPECT_EQ(p.levelDb, 0) << p.frequency;
  EXPECT_FALSE(curve.hasCrosstalk());
  EXPECT_EQ(curve.points.back().frequency, 22050);
  const CGImage flat = pixelsOf(*window(), view);

  EXPECT_EQ(steps({flip("powerSwitch", true), segment("typeControl", 0), slide("freqSlider", 1000)}), "");
  EXPECT_EQ(curve.chain, eq::liveChain(2));
  ASSERT_TRUE(curve.chain.filter && !curve.chain.bass);
  EXPECT_TRUE(curve.hasCrosstalk());
  EXPECT_LT(curve.points.back().levelDb, -30);  // a low pass
  const CGImage lowPass = pixelsOf(*window(), view);
  EXPECT_GT(differingPixels(flat, lowPass), 500u);

  // The bass sliders call no engine function; the curve follows them all the same.
  EXPECT_EQ(steps({flip("bassSwitch", true), slide("bassIntensitySlider", 4)}), "");
  EXPECT_EQ(curve.chain, eq::liveChain(2));
  ASSERT_TRUE(curve.chain.bass);
  EXPECT_GT(curve.points.front().levelDb, 10);
  EXPECT_GT(differingPixels(lowPass, pixelsOf(*window(), view)), 500u);

  // The next track is mono at 22050 Hz: the tap's preparation does nothing for the curve, which
  // finds out at its next look.
  eq::streamChannels = 1;
  eq::prepareEq(22050);
  EXPECT_EQ(curve.chain.sampleRate, 44100);
  advance(0.25);
  EXPECT_EQ(curve.chain, eq::liveChain(1));
  EXPECT_EQ(curve.points.back().frequency, 11025);
  EXPECT_FALSE(curve.hasCrosstalk());

  // Nothing changes, nothing is redrawn.
  window()->snapshot(2);
  const uint64_t generation = UIView::displayGeneration();
  advance(1.0);
  EXPECT_EQ(UIView::displayGeneration(), generation);
}

}  // namespace
