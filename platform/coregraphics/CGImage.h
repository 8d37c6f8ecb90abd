// A bitmap image: 8-bit RGBA pixels, rows top to bottom, not premultiplied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CGImage {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4

  bool isEmpty() const { return width == 0 || height == 0; }
};

// The widest and tallest image read, in pixels: far beyond any image the screen shows (64 MiB
// of pixels at most), so a hostile header cannot make a reader allocate gigabytes.
inline constexpr uint32_t kImageDimensionLimit = 4096;

// Reads and writes PNG files (libpng's simplified interface). Reading answers false, with the
// reason in *error if given, for a missing or unreadable file, anything but a regular file, a
// file beyond the file layer's read limit, a non-PNG or damaged file, or an image wider or taller
// than kImageDimensionLimit; writing (atomically, and only to a new or regular file) answers false
// with the reason in `error`.
bool CGImageReadPNG(const std::string& path, CGImage& image, std::string* error = nullptr);
bool CGImageReadPNGData(const unsigned char* bytes, std::size_t size, CGImage& image,
                        std::string* error = nullptr);
bool CGImageWritePNG(const CGImage& image, const std::string& path, std::string& error);
std::vector<uint8_t> CGImageEncodePNG(const CGImage& image);  // empty on failure
