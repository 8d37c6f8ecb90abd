// Arbitrary bytes as a PNG file, read as the button image and a layout's image views read one,
// then drawn into a small bitmap. Beyond the sanitizers' checks it traps when:
//  - an image is read wider or taller than kImageDimensionLimit, or with fewer pixels than its
//    size says;
//  - a refused image has no reason.
// A header claiming a huge image must be refused before its pixels are allocated: the run's
// memory limit (-rss_limit_mb) catches one that is not.
#include <cstddef>
#include <cstdint>
#include <string>

#include "coregraphics/CGContext.h"
#include "coregraphics/CGImage.h"

namespace {
void require(bool condition) {
  if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CGImage image;
  std::string error;
  if (!CGImageReadPNGData(data, size, image, &error)) {
    require(!error.empty());
    return 0;
  }
  require(image.width <= kImageDimensionLimit && image.height <= kImageDimensionLimit);
  require(image.rgba.size() == size_t(image.width) * image.height * 4);
  CGBitmapContext bitmap(CGSizeMake(16, 16), 1.0);
  bitmap.context().drawImage(CGRectMake(0, 0, 16, 16), image);
  bitmap.context().drawImageAsMask(CGRectMake(2, 2, 8, 8), image);
  return 0;
}
