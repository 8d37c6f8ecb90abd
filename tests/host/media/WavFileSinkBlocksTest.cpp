// The WAV sink gathers short blocks into larger writes: whatever the blocks' lengths, the file
// holds every frame in order, and the count of frames written includes those still gathered.
// Given a descriptor, it writes there (asking the kernel to write the file out as it grows)
// and owns it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "CommandHarness.h"
#include "host/media/WavFileSink.h"

namespace {

using namespace tunely_test;

TEST(WavFileSinkBlocks, BlocksOfAnyLengthReachTheFileWholeAndInOrder) {
  TempFolder temp;
  for (int channels : {1, 2, 3}) {
    const std::string path = temp.file("blocks" + std::to_string(channels) + ".wav");
    host::WavFileSink sink;
    std::string error;
    ASSERT_TRUE(sink.open(path, 44100, channels, error)) << error;
    // Short blocks that fill a write exactly, overrun it, follow a long one, and end the file
    // short of a whole write.
    const int64_t lengths[] = {1, 7, 300, 4096, 5000, 3, 511, 2730, 2731, 9000, 17, 1};
    std::vector<float> all;
    int64_t written = 0;
    for (int64_t length : lengths) {
      std::vector<float> block(size_t(length) * size_t(channels));
      for (float& s : block) s = float(all.size() + size_t(&s - block.data())) * 1e-6f;
      ASSERT_TRUE(sink.write(block.data(), length, error)) << error;
      all.insert(all.end(), block.begin(), block.end());
      written += length;
      EXPECT_EQ(sink.framesWritten(), written);
    }
    ASSERT_TRUE(sink.close(error)) << error;
    const host::DecodedAudio back = readWav(path);
    EXPECT_EQ(back.channels, channels);
    EXPECT_EQ(back.frames, written);
    EXPECT_EQ(back.samples, all) << channels << " channels";
  }
}

// Whether `fd` is still an open descriptor of this process.
bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

TEST(WavFileSinkBlocks, AFileGivenAsADescriptorIsWrittenWholeAndClosedWithTheSink) {
  TempFolder temp;
  const std::string path = temp.file("descriptor.wav");
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  host::WavFileSink sink;
  std::string error;
  ASSERT_TRUE(sink.open(fd, 48000, 2, error)) << error;
  // Past several write-behind steps, in blocks that do not line up with them.
  const int64_t blockFrames = 3001, blocks = 1200;
  std::vector<float> all;
  std::vector<float> block(size_t(blockFrames) * 2);
  for (int64_t b = 0; b < blocks; ++b) {
    for (size_t i = 0; i < block.size(); ++i) block[i] = float((all.size() + i) % 65521) * 1e-5f;
    ASSERT_TRUE(sink.write(block.data(), blockFrames, error)) << error;
    all.insert(all.end(), block.begin(), block.end());
  }
  ASSERT_GT(all.size() * sizeof(float), size_t(24) << 20);
  EXPECT_TRUE(isOpen(fd));
  ASSERT_TRUE(sink.close(error)) << error;
  EXPECT_FALSE(isOpen(fd)) << "the sink closes the descriptor it was given";
  const host::DecodedAudio back = readWav(path);
  EXPECT_EQ(back.frames, blockFrames * blocks);
  EXPECT_TRUE(back.samples == all);
}

TEST(WavFileSinkBlocks, ADescriptorThatCannotTakeAWavFileIsRefusedAndClosed) {
  TempFolder temp;
  const std::string path = temp.file("read-only.wav");
  { std::ofstream(path) << "not written by the sink"; }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  host::WavFileSink sink;
  std::string error;
  EXPECT_FALSE(sink.open(fd, 44100, 2, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(sink.isOpen());
  EXPECT_FALSE(isOpen(fd)) << "a refused descriptor is closed, not leaked";
}

}  // namespace
