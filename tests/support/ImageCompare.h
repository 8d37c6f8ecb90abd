// Screenshot tests: an image as the drawing code makes it now, compared with a reference image
// committed beside the tests, within a tolerance for what may differ between machines
// (antialiasing at glyph and curve edges, rounding in blending) but not for what a user would
// see (a control moved, missing or recoloured).
//
//   EXPECT_TRUE(image_compare::MatchesReference(window->snapshot(2), referenceFolder + "/main@2x.png"));
//
// When a comparison fails, the image drawn and a difference image are written to an output
// folder beside the test program ("<build folder>/image-diffs/<name>.actual.png" and
// "<name>.diff.png"), and the message names them. With TUNELY_UPDATE_REFERENCES=1 in the
// environment nothing is compared: the images drawn are written over the references (and the
// test says so), which is how references are made and deliberately changed.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "coregraphics/CGImage.h"

namespace image_compare {

// Any channel of any pixel may be off by `channel` (of 255): the faint differences in
// blending and antialiasing coverage between one build of the drawing libraries and another.
// A pixel off by more counts as differing; at most `fraction` of all pixels may differ (36 at
// 320 x 568, 145 at 640 x 1136), a few stray glyph or curve edges. On this screen's controls,
// the least that a user would notice changes more: an off switch (white on white) moved by one
// point changes about 100 pixels by more than 16 at 1x and 570 at 2x, one letter of a label 80
// and 240, a missing info button 150 and 470.
struct Tolerance {
  int channel = 16;
  double fraction = 0.0002;
};

// How an image differs from a reference.
struct Difference {
  bool sizesMatch = true;
  uint32_t width = 0, height = 0;  // of the image compared
  size_t differing = 0;            // pixels off by more than the channel tolerance
  int largest = 0;                 // the largest channel difference anywhere
  // The smallest rectangle of pixels holding every differing one (empty when none differ).
  uint32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

  size_t allowed(const Tolerance& tolerance) const {
    return size_t(tolerance.fraction * double(width) * double(height));
  }
  bool within(const Tolerance& tolerance) const { return sizesMatch && differing <= allowed(tolerance); }
  std::string describe(const Tolerance& tolerance) const {
    if (!sizesMatch) return "the sizes differ";
    std::string s = std::to_string(differing) + " pixels differ by more than " + std::to_string(tolerance.channel) +
                    " (at most " + std::to_string(allowed(tolerance)) + " may), the largest difference " +
                    std::to_string(largest);
    if (differing > 0)
      s += ", within x " + std::to_string(left) + ".." + std::to_string(right) + ", y " + std::to_string(top) +
           ".." + std::to_string(bottom) + " (pixels)";
    return s;
  }
};

// The largest difference of one channel between two pixels; two fully transparent pixels are
// the same whatever colour they carry.
inline int PixelDifference(const uint8_t* a, const uint8_t* b) {
  if (a[3] == 0 && b[3] == 0) return 0;
  int largest = 0;
  for (int c = 0; c < 4; ++c) largest = std::max(largest, std::abs(int(a[c]) - int(b[c])));
  return largest;
}

inline Difference Compare(const CGImage& actual, const CGImage& reference, const Tolerance& tolerance = {}) {
  Difference d;
  d.width = actual.width;
  d.height = actual.height;
  d.sizesMatch = actual.width == reference.width && actual.height == reference.height &&
                 actual.rgba.size() == reference.rgba.size() && actual.rgba.size() == size_t(actual.width) * actual.height * 4;
  if (!d.sizesMatch) return d;
  d.left = actual.width;
  d.top = actual.height;
  for (uint32_t y = 0; y < actual.height; ++y) {
    for (uint32_t x = 0; x < actual.width; ++x) {
      const size_t at = (size_t(y) * actual.width + x) * 4;
      const int diff = PixelDifference(&actual.rgba[at], &reference.rgba[at]);
      d.largest = std::max(d.largest, diff);
      if (diff <= tolerance.channel) continue;
      ++d.differing;
      d.left = std::min(d.left, x);
      d.top = std::min(d.top, y);
      d.right = std::max(d.right, x + 1);
      d.bottom = std::max(d.bottom, y + 1);
    }
  }
  if (d.differing == 0) d.left = d.top = 0;
  return d;
}

// A picture of where two images of one size differ: the reference faded to light grey, pixels
// off by more than the tolerance in red, smaller differences in yellow, the bounding box of the
// differing pixels outlined in blue.
inline CGImage DifferenceImage(const CGImage& actual, const CGImage& reference, const Tolerance& tolerance = {}) {
  CGImage out{actual.width, actual.height, std::vector<uint8_t>(actual.rgba.size())};
  const Difference d = Compare(actual, reference, tolerance);
  if (!d.sizesMatch) return CGImage{};
  for (uint32_t y = 0; y < actual.height; ++y) {
    for (uint32_t x = 0; x < actual.width; ++x) {
      const size_t at = (size_t(y) * actual.width + x) * 4;
      const uint8_t* r = &reference.rgba[at];
      const int diff = PixelDifference(&actual.rgba[at], r);
      uint8_t* o = &out.rgba[at];
      const bool onBox = d.differing > 0 && x + 1 >= d.left && x <= d.right && y + 1 >= d.top && y <= d.bottom &&
                         (x + 1 == d.left || x == d.right || y + 1 == d.top || y == d.bottom);
      if (diff > tolerance.channel) {
        o[0] = 255, o[1] = 0, o[2] = 0;
      } else if (diff > 0) {
        o[0] = 255, o[1] = 210, o[2] = 0;
      } else if (onBox) {
        o[0] = 0, o[1] = 90, o[2] = 255;
      } else {
        // Luminance over white by the reference's alpha, faded to a quarter of its contrast.
        const int lum = (r[0] * 30 + r[1] * 59 + r[2] * 11) / 100;
        const int over = (lum * r[3] + 255 * (255 - r[3])) / 255;
        o[0] = o[1] = o[2] = uint8_t(255 - (255 - over) / 4);
      }
      o[3] = 255;
    }
  }
  return out;
}

// Whether this run writes references instead of comparing with them.
inline bool UpdatingReferences() {
  const char* value = std::getenv("TUNELY_UPDATE_REFERENCES");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

// Where a failed comparison leaves its images: "image-diffs" beside the test program (in the
// build folder), else in the current folder.
inline std::filesystem::path OutputFolder() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return (error ? std::filesystem::current_path() : program.parent_path()) / "image-diffs";
}

// Compares the image with the PNG at `referencePath` (or, when updating references, writes it
// there). On a failure the image and the difference image go to the output folder, named after
// the reference.
inline ::testing::AssertionResult MatchesReference(const CGImage& actual, const std::string& referencePath,
                                                   const Tolerance& tolerance = {}) {
  const std::filesystem::path reference(referencePath);
  std::string error;
  if (UpdatingReferences()) {
    std::filesystem::create_directories(reference.parent_path());
    if (!CGImageWritePNG(actual, referencePath, error))
      return ::testing::AssertionFailure() << "cannot write the reference " << referencePath << ": " << error;
    std::printf("[reference] TUNELY_UPDATE_REFERENCES=1: wrote %s (%ux%u) instead of comparing\n",
                referencePath.c_str(), actual.width, actual.height);
    return ::testing::AssertionSuccess();
  }

  const std::filesystem::path folder = OutputFolder();
  const std::string stem = reference.stem().string();
  const std::string actualPath = (folder / (stem + ".actual.png")).string();
  const std::string diffPath = (folder / (stem + ".diff.png")).string();
  std::error_code ignored;
  std::filesystem::remove(actualPath, ignored);  // nothing stale from an earlier failure
  std::filesystem::remove(diffPath, ignored);
  auto keepActual = [&](::testing::AssertionResult result) {
    std::filesystem::create_directories(folder, ignored);
    std::string writeError;
    if (CGImageWritePNG(actual, actualPath, writeError)) result << "\n  image drawn: " << actualPath;
    else result << "\n  (the image drawn could not be written: " << writeError << ")";
    return result;
  };

  CGImage expected;
  if (!CGImageReadPNG(referencePath, expected))
    return keepActual(::testing::AssertionFailure()
                      << "no reference image at " << referencePath
                      << " (make it with TUNELY_UPDATE_REFERENCES=1 and look at it before committing)");
  const Difference d = Compare(actual, expected, tolerance);
  if (!d.sizesMatch)
    return keepActual(::testing::AssertionFailure() << stem << ": the image is " << actual.width << "x"
                                                     << actual.height << ", the reference " << expected.width << "x"
                                                     << expected.height);
  if (d.within(tolerance)) return ::testing::AssertionSuccess() << stem << ": " << d.describe(tolerance);
  ::testing::AssertionResult failure = keepActual(::testing::AssertionFailure()
                                                  << stem << " differs from " << referencePath << ": "
                                                  << d.describe(tolerance));
  std::string writeError;
  if (CGImageWritePNG(DifferenceImage(actual, expected, tolerance), diffPath, writeError))
    failure << "\n  difference (red: beyond the tolerance): " << diffPath;
  return failure;
}

}  // namespace image_compare
