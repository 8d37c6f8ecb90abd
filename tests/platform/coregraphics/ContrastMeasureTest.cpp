// The measures the readability checks rest on: the contrast ratio of two colours, a colour laid
// over another, and the status bar's choice of ink, against values worked out by hand.
#include <gtest/gtest.h>

#include "coregraphics/CGColor.h"

namespace {

TEST(ContrastMeasure, RatiosOfKnownPairs) {
  const CGColor white{1, 1, 1, 1}, black{0, 0, 0, 1};
  EXPECT_NEAR(CGColorContrastRatio(white, black), 21.0, 1e-9);
  EXPECT_NEAR(CGColorContrastRatio(black, white), 21.0, 1e-9);  // either order
  EXPECT_NEAR(CGColorContrastRatio(white, white), 1.0, 1e-12);
  // #767676 is the lightest grey that reads at 4.5:1 on white; #777777 just fails.
  EXPECT_GE(CGColorContrastRatio(CGColor{118 / 255.0, 118 / 255.0, 118 / 255.0, 1}, white), 4.5);
  EXPECT_LT(CGColorContrastRatio(CGColor{119 / 255.0, 119 / 255.0, 119 / 255.0, 1}, white), 4.5);
  // Green weighs most in luminance, blue least.
  EXPECT_GT(CGColorRelativeLuminance(CGColor{0, 1, 0, 1}), CGColorRelativeLuminance(CGColor{1, 0, 0, 1}));
  EXPECT_GT(CGColorRelativeLuminance(CGColor{1, 0, 0, 1}), CGColorRelativeLuminance(CGColor{0, 0, 1, 1}));
}

TEST(ContrastMeasure, ATranslucentColourOverAnother) {
  const CGColor half = CGColorOver(CGColor{1, 1, 1, 0.5}, CGColor{0, 0, 0, 1});
  EXPECT_NEAR(half.red, 0.5, 1e-12);
  EXPECT_EQ(half.alpha, 1);
  const CGColor clear = CGColorOver(CGColor{1, 0, 0, 0}, CGColor{0, 0.25, 1, 1});
  EXPECT_EQ(clear, (CGColor{0, 0.25, 1, 1}));
}

}  // namespace
