// An image decoded from a PNG file. Its size in points is its size in pixels divided by its
// scale: a file named "name@2x.png" has scale 2.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "coregraphics/CGGeometry.h"
#include "coregraphics/CGImage.h"
#include "objc/runtime.h"

class UIImage;

// The image encoded as PNG data; empty for nil.
std::vector<uint8_t> UIImagePNGRepresentation(const UIImage* image);

class UIImage : public NSObject {
 public:
  static Class runtimeClass();  // "UIImage"
  // Reads the PNG file at a device path; nil for a missing, unreadable or non-PNG file.
  static Ref<UIImage> imageWithContentsOfFile(const std::string& devicePath);

  UIImage(CGImage image, double scale) : image_(std::move(image)), scale_(scale > 0 ? scale : 1) {}
  UIImage(uint32_t width, uint32_t height, std::vector<uint8_t> rgba)
      : UIImage(CGImage{width, height, std::move(rgba)}, 1) {}

  CGSize size() const { return CGSize{image_.width / scale_, image_.height / scale_}; }
  double scale() const { return scale_; }
  uint32_t width() const { return image_.width; }   // in pixels
  uint32_t height() const { return image_.height; }
  const std::vector<uint8_t>& rgba() const { return image_.rgba; }  // rows top to bottom
  const CGImage& cgImage() const { return image_; }

 private:
  CGImage image_;
  double scale_;
};
