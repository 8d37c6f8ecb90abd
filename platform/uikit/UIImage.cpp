#include "uikit/UIImage.h"

#include <png.h>

#include <cstring>

#include "foundation/DeviceRoot.h"

Ref<UIImage> UIImage::imageWithContentsOfFile(const std::string& devicePath) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  const std::string file = DevicePathToHost(devicePath);
  if (png_image_begin_read_from_file(&image, file.c_str()) == 0) return nullptr;
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return nullptr;
  }
  return make<UIImage>(image.width, image.height, std::move(pixels));
}

std::vector<uint8_t> UIImagePNGRepresentation(const UIImage* image) {
  if (image == nullptr || image->width() == 0 || image->height() == 0) return {};
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = image->width();
  png.height = image->height();
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, image->rgba().data(), 0, nullptr) == 0)
    return {};
  std::vector<uint8_t> data(size);
  if (png_image_write_to_memory(&png, data.data(), &size, 0, image->rgba().data(), 0, nullptr) == 0)
    return {};
  data.resize(size);
  return data;
}
