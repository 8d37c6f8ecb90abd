// What a strict XML 1.0 reader demands of a document's characters, checked on written files: a
// lenient reader (libplist's own) accepts more, so reading a file back is not proof enough.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The offset of the first byte a strict reader refuses or would change, or npos if none: bytes
// that are not UTF-8, characters outside XML's Char production, and raw carriage returns (which a
// strict reader turns into line feeds).
inline std::size_t firstByteXmlCannotKeep(const std::string& text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char b = s[i];
    int length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > n) return i;
    uint32_t c = length == 1 ? b : b & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return i;
      c = (c << 6) | (s[i + k] & 0x3F);
    }
    static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool xmlChar = c == 0x9 || c == 0xA || (c >= 0x20 && c <= 0xD7FF) ||
                         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    if (c < kShortest[length] || !xmlChar) return i;
    i += length;
  }
  return std::string::npos;
}
