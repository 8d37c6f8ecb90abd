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
