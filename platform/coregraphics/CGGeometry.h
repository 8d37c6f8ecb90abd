// Core Graphics' points, sizes and rectangles, in points, with the platform's helpers.
#pragma once

#include <algorithm>
#include <string>

using CGFloat = double;

struct CGPoint {
  CGFloat x = 0, y = 0;
  friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
  CGFloat width = 0, height = 0;
  friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
  friend bool operator==(const CGRect&, const CGRect&) = default;
};

inline constexpr CGPoint CGPointZero{};
inline constexpr CGRect CGRectZero{};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return CGPoint{x, y}; }
inline CGSize CGSizeMake(CGFloat width, CGFloat height) { return CGSize{width, height}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return CGRect{{x, y}, {width, height}};
}

inline CGFloat CGRectGetMinX(const CGRect& r) { return std::min(r.origin.x, r.origin.x + r.size.width); }
inline CGFloat CGRectGetMinY(const CGRect& r) { return std::min(r.origin.y, r.origin.y + r.size.height); }
inline CGFloat CGRectGetMaxX(const CGRect& r) { return std::max(r.origin.x, r.origin.x + r.size.width); }
inline CGFloat CGRectGetMaxY(const CGRect& r) { return std::max(r.origin.y, r.origin.y + r.size.height); }
inline CGFloat CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width / 2; }
inline CGFloat CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height / 2; }
inline CGFloat CGRectGetWidth(const CGRect& r) { return r.size.width < 0 ? -r.size.width : r.size.width; }
inline CGFloat CGRectGetHeight(const CGRect& r) { return r.size.height < 0 ? -r.size.height : r.size.height; }
inline bool CGRectIsEmpty(const CGRect& r) { return r.size.width == 0 || r.size.height == 0; }

// Points on the right or bottom edge lie outside, as on the platform.
inline bool CGRectContainsPoint(const CGRect& r, CGPoint p) {
  return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) &&
         p.y < CGRectGetMaxY(r);
}
inline CGRect CGRectOffset(const CGRect& r, CGFloat dx, CGFloat dy) {
  return CGRectMake(r.origin.x + dx, r.origin.y + dy, r.size.width, r.size.height);
}
inline CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy) {
  return CGRectMake(r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy);
}
// The overlap of two rectangles; an empty rectangle at the origin when they do not overlap.
inline CGRect CGRectIntersection(const CGRect& a, const CGRect& b) {
  const CGFloat x0 = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
  const CGFloat y0 = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
  const CGFloat x1 = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
  const CGFloat y1 = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
  if (x1 <= x0 || y1 <= y0) return CGRectZero;
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}
// The smallest rectangle holding both; an empty rectangle adds nothing.
inline CGRect CGRectUnion(const CGRect& a, const CGRect& b) {
  if (CGRectIsEmpty(a)) return b;
  if (CGRectIsEmpty(b)) return a;
  const CGFloat x0 = std::min(CGRectGetMinX(a), CGRectGetMinX(b)), y0 = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
  const CGFloat x1 = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b)), y1 = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}
inline bool CGRectIntersectsRect(const CGRect& a, const CGRect& b) {
  return !CGRectIsEmpty(CGRectIntersection(a, b));
}

// "{{x, y}, {w, h}}", the platform's text form of a rectangle, and back. Parsing answers false
// for text of any other shape.
std::string NSStringFromCGRect(const CGRect& rect);
bool CGRectFromString(const std::string& text, CGRect& rect);
// "{w, h}" for a size (or "{x, y}" for a point), and back.
std::string NSStringFromCGSize(const CGSize& size);
bool CGSizeFromString(const std::string& text, CGSize& size);
