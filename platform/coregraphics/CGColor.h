// A colour as Core Graphics takes it: red, green, blue and alpha between 0 and 1, not
// premultiplied.
#pragma once

struct CGColor {
  double red = 0, green = 0, blue = 0, alpha = 0;
  friend bool operator==(const CGColor&, const CGColor&) = default;
};
