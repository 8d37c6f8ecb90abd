#include "coregraphics/CGImage.h"

#include <png.h>

#include <cstring>

#include "foundation/FileLayer.h"

namespace {
png_image describe(const CGImage& image) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = image.width;
  png.height = image.height;
  png.format = PNG_FORMAT_RGBA;
  return png;
}
}  // namespace

bool CGImageReadPNGData(const unsigned char* bytes, std::size_t size, CGImage& image,
                        std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&png, bytes, size) == 0) {
    if (error) *error = std::string("not a PNG image: ") + png.message;
    return false;
  }
  // Checked from the header, before a single pixel is allocated: a small file can claim a huge
  // image, and its size in bytes would even wrap libpng's 32-bit arithmetic.
  if (png.width > kImageDimensionLimit || png.height > kImageDimensionLimit) {
    if (error) {
      *error = "the image is " + std::to_string(png.width) + " x " + std::to_string(png.height) +
               " pixels, more than the " + std::to_string(kImageDimensionLimit) + " x " +
               std::to_string(kImageDimensionLimit) + " an image may have";
    }
    png_image_free(&png);
    return false;
  }
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) == 0) {
    if (error) *error = std::string("damaged PNG image: ") + png.message;
    png_image_free(&png);
    return false;
  }
  image.width = png.width;
  image.height = png.height;
  image.rgba = std::move(pixels);
  return true;
}

bool CGImageReadPNG(const std::string& path, CGImage& image, std::string* error) {
  // Bounded, never blocking, regular files only: a FIFO or a device as an image is refused.
  const auto bytes = FileReadAll(path, error);
  if (!bytes) return false;
  return CGImageReadPNGData(bytes->data(), bytes->size(), image, error);
}

bool CGImageWritePNG(const CGImage& image, const std::string& path, std::string& error) {
  if (image.isEmpty()) {
    error = "the image is empty";
    return false;
  }
  const std::vector<uint8_t> data = CGImageEncodePNG(image);
  if (data.empty()) {
    error = "cannot encode the image";
    return false;
  }
  // Written whole under a temporary name and renamed into place: only a new or regular file is
  // ever replaced, so a FIFO or a device named as the image is refused instead of blocking.
  return FileWrite(path, data.data(), data.size(), true, &error);
}

std::vector<uint8_t> CGImageEncodePNG(const CGImage& image) {
  if (image.isEmpty()) return {};
  png_image png = describe(image);
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, image.rgba.data(), 0, nullptr) == 0) return {};
  std::vector<uint8_t> data(size);
  if (png_image_write_to_memory(&png, data.data(), &size, 0, image.rgba.data(), 0, nullptr) == 0) return {};
  data.resize(size);
  return data;
}
