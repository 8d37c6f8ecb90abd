// Lays out binary property lists object by object, for shapes the encoder refuses to write:
// nesting beyond its limit, one object shared by many containers, a container inside itself.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class BinaryPlist {
 public:
  // Each adds one object and gives its index; containers refer to other objects by index, also
  // to ones added later.
  int array(const std::vector<int>& children) { return add(0xA0, children); }
  int dict(const std::vector<std::pair<int, int>>& entries) {
    std::vector<int> refs;
    for (const auto& e : entries) refs.push_back(e.first);
    for (const auto& e : entries) refs.push_back(e.second);
    return add(0xD0, refs, entries.size());
  }
  int ascii(const std::string& text) {
    objects_.push_back({header(0x50, text.size()) + text, {}});
    return static_cast<int>(objects_.size()) - 1;
  }

  // The file, with `top` as its root. References and offsets take as few bytes as they need.
  std::string bytes(int top) const {
    const int refSize = objects_.size() <= 0xFF ? 1 : objects_.size() <= 0xFFFF ? 2 : 4;
    std::string out = "bplist00";
    std::vector<uint64_t> offsets;
    for (const auto& o : objects_) {
      offsets.push_back(out.size());
      out += o.head;
      for (int ref : o.refs) out += bigEndian(static_cast<uint64_t>(ref), refSize);
    }
    const uint64_t table = out.size();
    const int offsetSize = table <= 0xFF ? 1 : table <= 0xFFFF ? 2 : table <= 0xFFFFFFFF ? 4 : 8;
    for (uint64_t at : offsets) out += bigEndian(at, offsetSize);
    out += std::string(6, '\0');
    out += static_cast<char>(offsetSize);
    out += static_cast<char>(refSize);
    out += bigEndian(objects_.size(), 8) + bigEndian(static_cast<uint64_t>(top), 8) + bigEndian(table, 8);
    return out;
  }

  // `depth` arrays, each the only element of the one around it; the outermost is the root.
  static std::string nestedArrays(int depth) {
    BinaryPlist plist;
    for (int i = 0; i < depth; ++i) plist.array(i + 1 < depth ? std::vector<int>{i + 1} : std::vector<int>{});
    return plist.bytes(0);
  }

 private:
  struct Object {
    std::string head;
    std::vector<int> refs;
  };

  static std::string bigEndian(uint64_t value, int size) {
    std::string out;
    for (int i = size - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
  }
  // The marker with its count: in the low nibble, or after it as an integer object.
  static std::string header(unsigned char marker, std::size_t count) {
    if (count < 15) return std::string(1, static_cast<char>(marker | count));
    return std::string(1, static_cast<char>(marker | 0x0F)) + '\x13' + bigEndian(count, 8);
  }
  int add(unsigned char marker, const std::vector<int>& refs, std::size_t count = SIZE_MAX) {
    objects_.push_back({header(marker, count == SIZE_MAX ? refs.size() : count), refs});
    return static_cast<int>(objects_.size()) - 1;
  }

  std::vector<Object> objects_;
};
