// An image decoded from a PNG file into 8-bit RGBA pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objc/NSObject.h"
#include "uikit/CGGeometry.h"

class UIImage;

// The image encoded as PNG data; empty for nil.
std::vector<uint8_t> UIImagePNGRepresentation(const UIImage* image);

class UIImage : public NSObject {
 public:
  // Reads the PNG file at a device path; nil for a missing, unreadable or non-PNG file.
  static Ref<UIImage> imageWithContentsOfFile(const std::string& devicePath);

  UIImage(uint32_t width, uint32_t height, std::vector<uint8_t> rgba)
      : width_(width), height_(height), rgba_(std::move(rgba)) {}

  CGSize size() const { return CGSize{double(width_), double(height_)}; }
  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  const std::vector<uint8_t>& rgba() const { return rgba_; }  // rows top to bottom

 private:
  uint32_t width_, height_;
  std::vector<uint8_t> rgba_;
};
