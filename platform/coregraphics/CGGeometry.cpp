#include "coregraphics/CGGeometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::string number(CGFloat v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// Reads one number at `p`, skipping spaces first; advances `p` past it.
bool readNumber(const char*& p, CGFloat& out) {
  while (*p == ' ') ++p;
  char* end = nullptr;
  out = std::strtod(p, &end);
  if (end == p || !std::isfinite(out)) return false;
  p = end;
  return true;
}

bool expect(const char*& p, char c) {
  while (*p == ' ') ++p;
  if (*p != c) return false;
  ++p;
  return true;
}

}  // namespace

std::string NSStringFromCGRect(const CGRect& r) {
  return "{{" + number(r.origin.x) + ", " + number(r.origin.y) + "}, {" + number(r.size.width) +
         ", " + number(r.size.height) + "}}";
}

bool CGRectFromString(const std::string& text, CGRect& rect) {
  const char* p = text.c_str();
  CGRect r;
  if (!expect(p, '{') || !expect(p, '{') || !readNumber(p, r.origin.x) || !expect(p, ',') ||
      !readNumber(p, r.origin.y) || !expect(p, '}') || !expect(p, ',') || !expect(p, '{') ||
      !readNumber(p, r.size.width) || !expect(p, ',') || !readNumber(p, r.size.height) ||
      !expect(p, '}') || !expect(p, '}'))
    return false;
  while (*p == ' ') ++p;
  if (*p != '\0') return false;
  rect = r;
  return true;
}

std::string NSStringFromCGSize(const CGSize& s) { return "{" + number(s.width) + ", " + number(s.height) + "}"; }

bool CGSizeFromString(const std::string& text, CGSize& size) {
  const char* p = text.c_str();
  CGSize s;
  if (!expect(p, '{') || !readNumber(p, s.width) || !expect(p, ',') || !readNumber(p, s.height) ||
      !expect(p, '}'))
    return false;
  while (*p == ' ') ++p;
  if (*p != '\0') return false;
  size = s;
  return true;
}
