#include "host/text/MessageText.h"

#include <algorithm>
#include <cstdio>

namespace host {
namespace {

// The length of the UTF-8 sequence that starts at `s[i]`, or 0 when it is not a valid one
// (overlong forms, surrogates and code points beyond U+10FFFF included).
size_t utf8Length(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  size_t n = 0;
  unsigned lowest = 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) n = 2, lowest = 0x80;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, lowest = 0x800;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, lowest = 0x10000;
  else return 0;
  if (i + n > s.size()) return 0;
  unsigned code = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

void appendHex(std::string& out, unsigned char c) {
  char text[5];
  std::snprintf(text, sizeof text, "\\x%02x", c);
  out += text;
}

}  // namespace

std::string printable(std::string_view text, size_t maxChars) {
  std::string out;
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++chars) {
    if (chars == maxChars) {
      out += "\u2026";
      break;
    }
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t n = utf8Length(text, i);
    if (n == 0) {
      appendHex(out, c);
      ++i;
      continue;
    }
    if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      // U+0080 to U+009F: the C1 controls, which some terminals act on as ESC sequences.
      appendHex(out, c);
      appendHex(out, static_cast<unsigned char>(text[i + 1]));
      i += 2;
      continue;
    }
    if (n > 1) {
      out.append(text.substr(i, n));
      i += n;
      continue;
    }
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case 0x1B: out += "\\e"; break;
      case '\\': out += "\\\\"; break;
      default:
        if (c < 0x20 || c == 0x7F) appendHex(out, c);
        else out += char(c);
    }
    ++i;
  }
  return out;
}

std::string printableLines(std::string_view text) {
  std::string out;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    out += printable(text.substr(start, end - start));
    if (end == text.size()) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

std::string quotedPath(std::string_view path) { return "\"" + printable(path) + "\""; }

std::string quotedWord(std::string_view word) { return "\"" + printable(word, kMessageWordChars) + "\""; }

}  // namespace host
