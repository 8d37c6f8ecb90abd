// A bitmap image: 8-bit RGBA pixels, rows top to bottom, not premultiplied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CGImage {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4

  bool isEmpty() const { return width == 0 || height == 0; }
};

// Reads and writes PNG files (libpng's simplified interface). Reading answers false for a
// missing, unreadable or non-PNG file; writing answers false with the reason in `error`.
bool CGImageReadPNG(const std::string& path, CGImage& image);
bool CGImageWritePNG(const CGImage& image, const std::string& path, std::string& error);
std::vector<uint8_t> CGImageEncodePNG(const CGImage& image);  // empty on failure
