// Any bytes given to the one-pass XML property-list reader, with libplist as the judge. Beyond the
// sanitizers' checks it traps when:
//  - the reader takes a text that libplist reads differently or refuses;
//  - what the reader took is not written back exactly as libplist writes it, or does not read
//    back as itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/NSPropertyListSerialization.h"
#include "foundation/PropertyListNestingGuard.h"
#include "foundation/PropertyListPlainXML.h"
#include "tests/platform/foundation/LibplistOracle.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr int kNesting = NSPropertyListSerialization::kMaxNesting;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // libplist recurses once per level: what the guard refuses never reaches either reader.
  if (PropertyListShapeOf(data, size, kNesting) != PropertyListShape::Acceptable) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Ref<NSObject> read = readPlainXMLPropertyList(text, kNesting);
  if (!read) return 0;
  require(oracle::readsAs(text, read.get()));
  std::vector<unsigned char> bytes;
  require(writePlainXMLPropertyList(read.get(), kNesting, bytes));
  const std::string written(bytes.begin(), bytes.end());
  require(written == oracle::writes(read.get()));
  require(isPlainXMLPropertyListOf(read.get(), kNesting, written));
  Ref<NSObject> back = readPlainXMLPropertyList(written, kNesting);
  require(back && NSObjectIsEqual(back.get(), read.get()));
  return 0;
}
