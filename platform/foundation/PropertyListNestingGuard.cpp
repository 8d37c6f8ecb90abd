#include "foundation/PropertyListNestingGuard.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace {

// ---- binary: the object graph, walked from the root ----

// bplist00 layout: objects from byte 8, then the offset table (one offset per object), then a
// 32-byte trailer: bytes 6 and 7 the sizes of an offset and of an object reference, then three
// big-endian 64-bit numbers: the object count, the root's index and the offset table's position.
class BinaryWalk {
 public:
  explicit BinaryWalk(std::string_view data) : data_(data) {}

  PropertyListShape run(int maxContainers) {
    if (!readTrailer()) return objects_ > kMaxBinaryTreeNodes ? PropertyListShape::TooLarge
                                                               : PropertyListShape::Malformed;
    state_.assign(objects_, State::Unseen);
    depth_.assign(objects_, 0);
    nodes_.assign(objects_, 0);

    if (auto shape = enter(top_, maxContainers)) return *shape;
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      if (frame.next == frame.refCount) {
        const Frame done = frame;
        stack_.pop_back();
        state_[done.index] = State::Done;
        depth_[done.index] = done.depth;
        nodes_[done.index] = done.nodes;
        if (!stack_.empty() && !fold(stack_.back(), done.index)) return PropertyListShape::TooLarge;
        continue;
      }
      const std::uint64_t child = bigEndian(frame.refsAt + frame.next * refSize_, refSize_);
      ++frame.next;
      if (child >= objects_) return PropertyListShape::Malformed;
      if (state_[child] == State::Open) return PropertyListShape::TooDeep;  // inside itself
      if (state_[child] == State::Unseen) {
        if (auto shape = enter(child, maxContainers)) return *shape;  // may push: `frame` is stale
        if (state_[child] != State::Done) continue;
      }
      if (!fold(stack_.back(), child)) return PropertyListShape::TooLarge;
    }
    return depth_[top_] <= static_cast<std::uint32_t>(maxContainers) ? PropertyListShape::Acceptable
                                                                      : PropertyListShape::TooDeep;
  }

 private:
  enum class State : std::uint8_t { Unseen, Open, Done };

  // A container being walked: its references start at refsAt; depth counts the containers on the
  // deepest path down from it (itself included), nodes the tree's nodes under it (itself included).
  struct Frame {
    std::uint64_t index, refsAt, refCount, next;
    std::uint32_t depth;
    std::uint64_t nodes;
  };

  std::uint64_t bigEndian(std::uint64_t at, int size) const {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8) | static_cast<unsigned char>(data_[at + i]);
    return value;
  }

  bool readTrailer() {
    if (data_.size() < 8 + 32) return false;
    const std::uint64_t trailer = data_.size() - 32;
    offsetSize_ = static_cast<unsigned char>(data_[trailer + 6]);
    refSize_ = static_cast<unsigned char>(data_[trailer + 7]);
    objects_ = bigEndian(trailer + 8, 8);
    top_ = bigEndian(trailer + 16, 8);
    table_ = bigEndian(trailer + 24, 8);
    if (objects_ == 0 || objects_ > kMaxBinaryTreeNodes) return false;
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
    return top_ < objects_ && table_ >= 8 && table_ <= trailer &&
           objects_ <= (trailer - table_) / static_cast<std::uint64_t>(offsetSize_);
  }

  // Reads the object's header: a leaf is done at once, a container is pushed to be walked.
  // Gives a verdict only when the walk must stop.
  std::optional<PropertyListShape> enter(std::uint64_t index, int maxContainers) {
    const std::uint64_t at = bigEndian(table_ + index * offsetSize_, offsetSize_);
    if (at < 8 || at >= table_) return PropertyListShape::Malformed;
    const unsigned char marker = static_cast<unsigned char>(data_[at]);
    const int kind = marker >> 4;
    if (kind != 0xA && kind != 0xC && kind != 0xD) {  // not an array, set or dictionary
      state_[index] = State::Done;
      depth_[index] = 0;
      nodes_[index] = 1;
      return std::nullopt;
    }
    if (stack_.size() >= static_cast<std::size_t>(maxContainers)) return PropertyListShape::TooDeep;
    std::uint64_t count = marker & 0x0F;
    std::uint64_t refsAt = at + 1;
    if (count == 0x0F) {  // the count follows as an integer object of 2^n bytes
      if (refsAt >= table_) return PropertyListShape::Malformed;
      const unsigned char intMarker = static_cast<unsigned char>(data_[refsAt]);
      const int size = 1 << (intMarker & 0x0F);
      if ((intMarker >> 4) != 0x1 || size > 8 || refsAt + 1 + size > table_)
        return PropertyListShape::Malformed;
      count = bigEndian(refsAt + 1, size);
      refsAt += 1 + size;
    }
    const std::uint64_t room = (table_ - refsAt) / refSize_;  // references that fit before the table
    if (count > room || (kind == 0xD && count > room / 2)) return PropertyListShape::Malformed;
    state_[index] = State::Open;
    stack_.push_back({index, refsAt, kind == 0xD ? 2 * count : count, 0, 1, 1});
    return std::nullopt;
  }

  // Adds a finished child to its container; false once the tree holds too many nodes.
  bool fold(Frame& parent, std::uint64_t child) {
    parent.depth = std::max(parent.depth, depth_[child] + 1);
    parent.nodes += nodes_[child];
    return parent.nodes <= kMaxBinaryTreeNodes;
  }

  std::string_view data_;
  int offsetSize_ = 0, refSize_ = 0;
  std::uint64_t objects_ = 0, top_ = 0, table_ = 0;
  std::vector<State> state_;
  std::vector<std::uint32_t> depth_;
  std::vector<std::uint64_t> nodes_;
  std::vector<Frame> stack_;
};

// ---- XML: element nesting ----

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

PropertyListShape PropertyListShapeOf(const unsigned char* bytes, std::size_t size, int maxContainers) {
  std::string_view data(reinterpret_cast<const char*>(bytes), size);
  if (data.starts_with("bplist00")) return BinaryWalk(data).run(maxContainers);
  // The <plist> element around the root, and a leaf element inside the innermost container.
  return xmlWithinLimit(data, maxContainers + 2) ? PropertyListShape::Acceptable
                                                 : PropertyListShape::TooDeep;
}
