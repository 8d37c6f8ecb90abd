// A WAV header counts data in 32 bits: a render beyond 4 GiB must be written as RF64 to be read
// back whole, while smaller files stay plain WAV for readers that know nothing else.
//
// Writing 4.5 GiB takes tens of seconds and the space, so that test runs only when asked for
// (TUNELY_LARGE_FILE_TESTS=1) and only where the temporary folder has room for it on disk.
#include <gtest/gtest.h>

#include <sys/statfs.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <linux/magic.h>

#include "CommandHarness.h"
#include "host/media/AudioFileReader.h"
#include "host/media/WavFileSink.h"

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;

std::string magic(const std::string& path) {
  std::string head(4, '\0');
  std::ifstream(path, std::ios::binary).read(head.data(), 4);
  return head;
}

TEST(LargeOutput, AFileThatFitsAWavHeaderIsPlainWav) {
  TempFolder temp;
  const std::vector<float> frames(2 * 48000, 0.5f);
  std::string error;
  {
    host::WavFileSink sink;
    ASSERT_TRUE(sink.open(temp.file("small.wav"), 48000, 2, error)) << error;
    ASSERT_TRUE(sink.write(frames.data(), 48000, error)) << error;
  }
  EXPECT_EQ(magic(temp.file("small.wav")), "RIFF");
  EXPECT_EQ(readWav(temp.file("small.wav")).frames, 48000);
}

TEST(LargeOutput, AFileOfFourAndAHalfGibibytesReadsBackWithItsTrueLength) {
  const char* wanted = std::getenv("TUNELY_LARGE_FILE_TESTS");
  if (!wanted || std::string(wanted) != "1")
    GTEST_SKIP() << "writes 4.5 GiB: set TUNELY_LARGE_FILE_TESTS=1 to run it";
  TempFolder temp;
  constexpr int64_t kBytes = int64_t(9) << 29;  // 4.5 GiB of 2-channel float frames
  constexpr int64_t kFrames = kBytes / 8, kBlock = 1 << 17;
  struct statfs where {};
  ASSERT_EQ(statfs(temp.path().c_str(), &where), 0);
  if (where.f_type == TMPFS_MAGIC || where.f_type == RAMFS_MAGIC)
    GTEST_SKIP() << temp.path() << " is in memory; set TMPDIR to a folder on disk";
  if (fs::space(temp.path()).available < uintmax_t(kBytes) + (uintmax_t(1) << 30))
    GTEST_SKIP() << "not enough free space in " << temp.path();

  // A ramp that goes on across the whole file, so a read that wrapped would see the wrong frame.
  std::vector<float> block(size_t(kBlock) * 2);
  std::string error;
  {
    host::WavFileSink sink;
    ASSERT_TRUE(sink.open(temp.file("large.wav"), 192000, 2, error)) << error;
    for (int64_t done = 0; done < kFrames; done += kBlock) {
      for (int64_t i = 0; i < kBlock; ++i)
        block[size_t(i) * 2] = block[size_t(i) * 2 + 1] = float((done + i) % 1000003) / 1000003.0f;
      ASSERT_TRUE(sink.write(block.data(), std::min(kBlock, kFrames - done), error)) << error;
    }
    EXPECT_TRUE(sink.close(error)) << error;
  }
  EXPECT_EQ(magic(temp.file("large.wav")), "RF64");
  const host::Outcome<host::AudioFileInfo> info = host::probeAudioFile(temp.file("large.wav"));
  ASSERT_TRUE(info) << info.error;
  EXPECT_EQ(info.value->frames, kFrames);
  // The last frames are where they belong.
  auto stream = host::AudioFileStream::open(temp.file("large.wav"));
  ASSERT_TRUE(stream) << stream.error;
  std::string seekError;
  ASSERT_TRUE((*stream.value)->seek(kFrames - 2, seekError)) << seekError;
  float last[8] = {};
  ASSERT_EQ((*stream.value)->read(last, 4), 2);
  EXPECT_EQ(last[2], float((kFrames - 1) % 1000003) / 1000003.0f);
}

}  // namespace
