#include "foundation/PropertyListNestingGuard.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// Binary property lists whose object table is longer than this are refused: every object may be
// one more level of nesting, and libplist stays well inside a thread's stack at this depth.
constexpr std::uint64_t kMaxBinaryObjects = 1 << 16;

bool binaryWithinLimit(std::string_view data) {
  // The 32-byte trailer ends the file; the object count is its big-endian bytes 8 to 15.
  if (data.size() < 8 + 32) return true;  // too short to parse: libplist refuses it
  std::string_view trailer = data.substr(data.size() - 32);
  std::uint64_t objects = 0;
  for (int i = 8; i < 16; ++i) objects = (objects << 8) | static_cast<unsigned char>(trailer[i]);
  return objects <= kMaxBinaryObjects;
}

// Skips to just past `terminator`, or to the end.
std::size_t skipPast(std::string_view data, std::size_t from, std::string_view terminator) {
  std::size_t at = data.find(terminator, from);
  return at == std::string_view::npos ? data.size() : at + terminator.size();
}

bool xmlWithinLimit(std::string_view data, int maxDepth) {
  int depth = 0;
  std::size_t i = 0;
  while ((i = data.find('<', i)) != std::string_view::npos) {
    std::string_view rest = data.substr(i);
    if (rest.starts_with("<!--")) {
      i = skipPast(data, i + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      i = skipPast(data, i + 9, "]]>");
    } else if (rest.starts_with("<!") || rest.starts_with("<?")) {
      i = skipPast(data, i + 2, ">");
    } else if (rest.starts_with("</")) {
      if (depth > 0) --depth;
      i = skipPast(data, i + 2, ">");
    } else {
      std::size_t end = data.find('>', i + 1);
      if (end == std::string_view::npos) return true;  // an unfinished tag: libplist refuses it
      if (data[end - 1] != '/' && ++depth > maxDepth) return false;
      i = end + 1;
    }
  }
  return true;
}

}  // namespace

bool PropertyListNestingWithinLimit(const unsigned char* bytes, std::size_t size, int maxDepth) {
  std::string_view data(reinterpret_cast<const char*>(bytes), size);
  if (data.starts_with("bplist00")) return binaryWithinLimit(data);
  return xmlWithinLimit(data, maxDepth);
}
