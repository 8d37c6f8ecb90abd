#include "coregraphics/CGImage.h"

#include <png.h>

#include <cstring>

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

bool CGImageReadPNG(const std::string& path, CGImage& image) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return false;
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) == 0) {
    png_image_free(&png);
    return false;
  }
  image.width = png.width;
  image.height = png.height;
  image.rgba = std::move(pixels);
  return true;
}

bool CGImageWritePNG(const CGImage& image, const std::string& path, std::string& error) {
  if (image.isEmpty()) {
    error = "the image is empty";
    return false;
  }
  png_image png = describe(image);
  if (png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), 0, nullptr) == 0) {
    error = png.message[0] ? png.message : "cannot write the file";
    return false;
  }
  return true;
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
