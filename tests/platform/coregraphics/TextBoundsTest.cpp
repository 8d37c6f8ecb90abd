// Text far longer than its space, or a letter under a pile of accents, is drawn as the shown part
// of it would be: only what can show is laid out, so the length of the text costs neither minutes
// nor gigabytes, and it never draws glyphs over each other.
#include <gtest/gtest.h>

#include <string>

#include "coregraphics/CGContext.h"

namespace {

std::vector<uint8_t> drawn(const std::string& text, CGLineBreak lineBreak, int maxLines = 1) {
  CGBitmapContext bitmap(CGSizeMake(200, 40), 1);
  bitmap.context().setFillColor(CGColor{0, 0, 0, 1});
  bitmap.context().drawText(text, CGRectMake(0, 0, 200, 40), CGFontSpec{16, false}, CGTextAlignment::Left, lineBreak,
                            maxLines);
  return bitmap.image().rgba;
}

std::string repeated(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(TextBounds, AHugeTextLooksLikeItsShownPart) {
  const std::string head = "Preset ", body = repeated("abc ", 2'000'000 / 4);
  // Cut at its tail (or its head, or its middle), a 2 MB text shows as one of a few hundred
  // characters does.
  EXPECT_EQ(drawn(head + body, CGLineBreak::TruncateTail), drawn(head + body.substr(0, 2000), CGLineBreak::TruncateTail));
  EXPECT_EQ(drawn(body + head, CGLineBreak::TruncateHead), drawn(body.substr(0, 2000) + head, CGLineBreak::TruncateHead));
  EXPECT_EQ(drawn(head + body + "end", CGLineBreak::TruncateMiddle),
            drawn(head + body.substr(0, 2000) + "end", CGLineBreak::TruncateMiddle));
  // Wrapped over two lines, or clipped, likewise.
  EXPECT_EQ(drawn(head + body, CGLineBreak::WordWrap, 2), drawn(head + body.substr(0, 2000), CGLineBreak::WordWrap, 2));
  EXPECT_EQ(drawn(head + body, CGLineBreak::Clip), drawn(head + body.substr(0, 2000), CGLineBreak::Clip));
  const CGSize measured = CGTextMeasure(head + body, CGFontSpec{16, false}, 200, CGLineBreak::TruncateTail, 1);
  EXPECT_EQ(measured, CGTextMeasure(head + body.substr(0, 2000), CGFontSpec{16, false}, 200, CGLineBreak::TruncateTail, 1));
}

TEST(TextBounds, APileOfAccentsOnOneLetterShowsAsItsFirstThirty) {
  const std::string acute = "\xCC\x81";  // U+0301, combining
  const std::string letter = "a" + repeated(acute, 30);
  EXPECT_EQ(drawn("xa" + repeated(acute, 200'000) + "z", CGLineBreak::TruncateTail),
            drawn("x" + letter + "z", CGLineBreak::TruncateTail));
  // A text of ordinary length is drawn as it is.
  EXPECT_NE(drawn("a" + repeated(acute, 2) + "z", CGLineBreak::TruncateTail), drawn("az", CGLineBreak::TruncateTail));
}

}  // namespace
