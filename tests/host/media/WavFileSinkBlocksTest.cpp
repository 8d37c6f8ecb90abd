// The WAV sink gathers short blocks into larger writes: whatever the blocks' lengths, the file
// holds every frame in order, and the count of frames written includes those still gathered.
#include <gtest/gtest.h>

#include <cstdint>
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

}  // namespace
