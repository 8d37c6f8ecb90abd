#include "foundation/PropertyListText.h"

#include <cstdint>
#include <cstdio>

namespace {

std::string codePoint(const char* what, std::uint32_t c) {
  char text[64];
  std::snprintf(text, sizeof text, "%s U+%04X", what, static_cast<unsigned>(c));
  return text;
}

// The character starting at text[i] and its length in bytes, or length 0 if the bytes there are
// not UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
std::uint32_t decode(std::string_view text, std::size_t i, int& length) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > text.size()) return length = 0;
  std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return length = 0;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  static constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kShortest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return length = 0;
  return c;
}

}  // namespace

std::string PropertyListTextProblem(std::string_view text, NSPropertyListFormat format) {
  const bool xml = format == NSPropertyListXMLFormat_v1_0;
  for (std::size_t i = 0; i < text.size();) {
    int length = 0;
    const std::uint32_t c = decode(text, i, length);
    if (length == 0) return "bytes that are not UTF-8";
    if (c == 0) return "a NUL character";
    // XML 1.0 allows tab, line feed and carriage return of the C0 controls, and all of the BMP
    // but its last two values.
    if (xml && c < 0x20 && c != '\t' && c != '\n' && c != '\r') return codePoint("the control character", c);
    if (xml && (c == 0xFFFE || c == 0xFFFF)) return codePoint("the non-character", c);
    i += length;
  }
  return {};
}
