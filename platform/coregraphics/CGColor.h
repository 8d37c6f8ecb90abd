// A colour as Core Graphics takes it: red, green, blue and alpha between 0 and 1, not
// premultiplied.
#pragma once

struct CGColor {
  double red = 0, green = 0, blue = 0, alpha = 0;
  friend bool operator==(const CGColor&, const CGColor&) = default;
};

// The relative luminance of the colour's red, green and blue (sRGB, alpha ignored), from 0 for
// black to 1 for white, and the contrast ratio of two colours from it (1 to 21): the measures
// by which text is judged readable against what lies behind it.
double CGColorRelativeLuminance(const CGColor& color);
double CGColorContrastRatio(const CGColor& a, const CGColor& b);
// The colour `top` shows as when laid over the opaque colour `bottom`.
CGColor CGColorOver(const CGColor& top, const CGColor& bottom);
