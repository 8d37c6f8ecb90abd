#include "uikit/UIImage.h"

#include "foundation/DeviceRoot.h"

OBJC_CLASS(UIImage, NSObject)

Ref<UIImage> UIImage::imageWithContentsOfFile(const std::string& devicePath) {
  CGImage image;
  if (!CGImageReadPNG(DevicePathToHost(devicePath), image)) return nullptr;
  const bool doubled = devicePath.size() > 7 && devicePath.compare(devicePath.size() - 7, 7, "@2x.png") == 0;
  return make<UIImage>(std::move(image), doubled ? 2.0 : 1.0);
}

std::vector<uint8_t> UIImagePNGRepresentation(const UIImage* image) {
  return image ? CGImageEncodePNG(image->cgImage()) : std::vector<uint8_t>{};
}
