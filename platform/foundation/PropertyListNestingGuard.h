// A cheap look at encoded property-list bytes before libplist parses them. libplist builds, copies
// and frees its tree recursively, so a file nested thirty thousand levels deep overflows the stack
// inside the library; and its binary reader copies an object at every reference to it, so a few
// hundred bytes of shared objects become a tree of billions of nodes. Refusing such input up
// front is the only place to stop either.
#pragma once

#include <cstddef>

enum class PropertyListShape {
  Acceptable,  // within the limits (malformed XML is left to libplist, which refuses it)
  TooDeep,     // containers nested deeper than allowed, or a binary container inside itself
  TooLarge,    // a binary file whose tree, shared objects copied out, has too many nodes
  Malformed,   // a binary file whose objects cannot be followed from its root
};

// The most nodes a binary file's tree may have once libplist has copied out its shared objects
// (and so the most objects its table may list). A store of four thousand presets fits, and
// libplist builds such a tree in a fraction of a second.
inline constexpr std::size_t kMaxBinaryTreeNodes = std::size_t{1} << 16;

// Whether the bytes may go to libplist. `maxContainers` is how many containers (arrays and
// dictionaries) may nest. XML is scanned for element nesting (comments, CDATA, declarations and
// processing instructions skipped), allowing the <plist> element and one leaf element beyond the
// containers; malformed text may only over-count. Binary files are walked object by object from
// the root through the object table, without recursion, each object once.
PropertyListShape PropertyListShapeOf(const unsigned char* bytes, std::size_t size, int maxContainers);
