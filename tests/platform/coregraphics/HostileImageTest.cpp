// Images and paths a hostile device root can hold: headers that claim huge images, images cairo
// cannot hold, FIFOs where an image is read or written, and ".." out of the device root.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "coregraphics/CGContext.h"
#include "coregraphics/CGImage.h"
#include "foundation/DeviceRoot.h"
#include "uikit/UIImage.h"

namespace {

namespace fs = std::filesystem;

uint32_t crc32(const std::vector<uint8_t>& bytes, size_t from) {
  uint32_t crc = 0xffffffffu;
  for (size_t i = from; i < bytes.size(); ++i) {
    crc ^= bytes[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  put32(png, uint32_t(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  std::vector<uint8_t> covered(png.begin() + long(start), png.end());
  put32(png, crc32(covered, 0));
}

// A tiny PNG file whose header claims `width` x `height` 8-bit RGBA pixels; its image data is
// one empty zlib stream, far too short for the claim.
std::vector<uint8_t> claimingPng(uint32_t width, uint32_t height) {
  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> header;
  put32(header, width);
  put32(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", {0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
  chunk(png, "IEND", {});
  return png;
}

class HostileImages : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tunely-images-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    DeviceRootSet(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string file(const std::string& name) const { return folder_ + "/" + name; }
  void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(file(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::string folder_;
};

TEST_F(HostileImages, HeadersClaimingHugeImagesAreRefusedBeforeAnyPixelIsAllocated) {
  for (const auto& [w, h] : std::vector<std::array<uint32_t, 2>>{
           {30000, 30000}, {40000, 40000}, {1000000, 1}, {1, 1000000}, {4097, 16}}) {
    write("big.png", claimingPng(w, h));
    CGImage image;
    std::string error;
    EXPECT_FALSE(CGImageReadPNG(file("big.png"), image, &error)) << w << "x" << h;
    EXPECT_EQ(error, "the image is " + std::to_string(w) + " x " + std::to_string(h) +
                         " pixels, more than the 4096 x 4096 an image may have");
  }
  // At the limit the header passes and only the short data fails.
  write("edge.png", claimingPng(4096, 4096));
  CGImage image;
  std::string error;
  EXPECT_FALSE(CGImageReadPNG(file("edge.png"), image, &error));
  EXPECT_EQ(error.rfind("damaged PNG image", 0), 0u) << error;
}

TEST_F(HostileImages, FifosAndDevicesAreNeitherReadNorWrittenAsImages) {
  ASSERT_EQ(::mkfifo(file("pipe.png").c_str(), 0644), 0);
  CGImage image;
  std::string error;
  EXPECT_FALSE(CGImageReadPNG(file("pipe.png"), image, &error));  // returns at once, no writer
  EXPECT_FALSE(CGImageReadPNG("/dev/zero", image, &error));
  const CGImage small{2, 2, std::vector<uint8_t>(16, 255)};
  EXPECT_FALSE(CGImageWritePNG(small, file("pipe.png"), error));  // no reader: would block
  EXPECT_TRUE(fs::is_fifo(file("pipe.png")));
  EXPECT_TRUE(CGImageWritePNG(small, file("shot.png"), error)) << error;
  EXPECT_TRUE(CGImageReadPNG(file("shot.png"), image, &error)) << error;
  EXPECT_EQ(image.width, 2u);
}

// Cairo holds no surface wider or taller than 32767 pixels: such an image is not drawn, and
// nothing is written through the null pixels of the surface cairo refused.
TEST_F(HostileImages, ImagesCairoCannotHoldAreSkippedWhenDrawn) {
  CGBitmapContext bitmap(CGSizeMake(8, 8), 1.0);
  const CGImage wide{40000, 1, std::vector<uint8_t>(40000 * 4, 200)};
  bitmap.context().drawImage(CGRectMake(0, 0, 8, 8), wide);
  bitmap.context().drawImageAsMask(CGRectMake(0, 0, 8, 8), wide);
  EXPECT_EQ(bitmap.premultipliedARGB()[3], 0);  // nothing drawn
}

TEST_F(HostileImages, AnImageIsReadOncePerChangeOfItsFile) {
  const CGImage small{2, 2, std::vector<uint8_t>(16, 255)};
  std::string error;
  ASSERT_TRUE(CGImageWritePNG(small, file("button.png"), error));
  Ref<UIImage> first = UIImage::imageWithContentsOfFile("/button.png");
  ASSERT_TRUE(first);
  EXPECT_EQ(UIImage::imageWithContentsOfFile("/button.png").get(), first.get());
  const CGImage larger{3, 3, std::vector<uint8_t>(36, 255)};
  ASSERT_TRUE(CGImageWritePNG(larger, file("button.png"), error));
  Ref<UIImage> changed = UIImage::imageWithContentsOfFile("/button.png");
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->width(), 3u);
}

TEST_F(HostileImages, DevicePathsStayInsideTheDeviceRoot) {
  EXPECT_EQ(DevicePathToHost("/../../../../tmp/x.png"), folder_ + "/tmp/x.png");
  EXPECT_EQ(DevicePathToHost("../x"), folder_ + "/x");
  EXPECT_EQ(DevicePathToHost("/Library/./a/../b//c.png"), folder_ + "/Library/b/c.png");
  EXPECT_EQ(DevicePathToHost("/var/mobile/Library/Application Support/Tunely/"),
            folder_ + "/var/mobile/Library/Application Support/Tunely/");
  EXPECT_EQ(DevicePathToHost("/.."), folder_);
}

}  // namespace
