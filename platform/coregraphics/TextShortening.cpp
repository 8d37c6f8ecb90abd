#include "coregraphics/TextShortening.h"

#include <glib.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kEllipsis = "\u2026";
constexpr size_t kLinesWhenUnbounded = 256;
constexpr size_t kMostCharacters = 1'000'000;

// Walks the characters of valid UTF-8 text: `visit(begin, end, isMark)` for each code point.
template <class Visit>
void eachCodePoint(const std::string& text, Visit visit) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* next = g_utf8_next_char(p);
    visit(p, next, g_unichar_ismark(g_utf8_get_char(p)) != 0);
    p = next;
  }
}

}  // namespace

size_t mostCharactersShown(const CGFontSpec& font, double width, int lines, double height) {
  const double size = std::isnan(font.size) ? 1.0 : std::clamp(font.size, 1.0, 1000.0);
  const double w = std::isnan(width) ? 0.0 : std::clamp(width, 0.0, 1e5);
  const size_t perLine = w > 0 ? size_t(std::ceil(w * 8 / size)) + 16 : 4096;
  size_t lineCount = kLinesWhenUnbounded;
  if (lines > 0) lineCount = size_t(lines);
  else if (height > 0 && !std::isnan(height)) lineCount = size_t(std::ceil(std::min(height, 1e5) / size)) + 1;
  return std::min(perLine * std::min(lineCount, kLinesWhenUnbounded), kMostCharacters);
}

bool shortenForDisplay(const std::string& text, size_t most, CGLineBreak lineBreak, std::string& out) {
  // Text that is not valid UTF-8 is left to the layout as it is: it replaces what it cannot read.
  if ((text.size() <= most && text.size() <= kMostMarksPerCharacter) || !g_utf8_validate(text.data(), gssize(text.size()), nullptr)) return false;
  size_t characters = 0, marks = 0;
  bool tooManyMarks = false;
  eachCodePoint(text, [&](const char*, const char*, bool isMark) {
    if (!isMark || characters == 0) {
      ++characters;
      marks = 0;
    } else if (++marks > kMostMarksPerCharacter) {
      tooManyMarks = true;
    }
  });
  if (characters <= most && !tooManyMarks) return false;

  // The characters kept: [0, head) and [tailFrom, characters).
  size_t head = characters, tailFrom = characters;
  if (characters > most) {
    switch (lineBreak) {
      case CGLineBreak::TruncateHead: head = 0, tailFrom = characters - most; break;
      case CGLineBreak::TruncateMiddle: head = most / 2, tailFrom = characters - (most - most / 2); break;
      default: head = most; break;
    }
  }
  out.clear();
  size_t index = 0;
  marks = 0;
  eachCodePoint(text, [&](const char* begin, const char* end, bool isMark) {
    if (!isMark || index == 0) {
      ++index;
      marks = 0;
      if (index == head + 1 && head < tailFrom) out += kEllipsis;
    } else if (++marks > kMostMarksPerCharacter) {
      return;
    }
    if (index <= head || index > tailFrom) out.append(begin, end);
  });
  return true;
}
