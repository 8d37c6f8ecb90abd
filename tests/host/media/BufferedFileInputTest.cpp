// libsndfile reads files through our own buffer. Whatever the pattern of seeks and reads, it gets
// the file's bytes at the right offsets, short only at the end; a failed read is told apart from
// the end; and a file decodes to the same samples as libsndfile reading it by itself.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CommandHarness.h"
#include "host/media/AudioFileReader.h"
#include "host/media/BufferedFileInput.h"

namespace {

using namespace tunely_test;

TEST(BufferedFileInput, ReadsAndSeeksSeeTheFileAsItIs) {
  TempFolder temp;
  const std::string path = temp.file("bytes.bin");
  std::vector<unsigned char> bytes(3 * 1024 * 1024 + 123);
  std::mt19937 random(5);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              std::streamsize(bytes.size()));

  host::BufferedFileInput input(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  SF_VIRTUAL_IO& io = host::BufferedFileInput::callbacks();
  EXPECT_EQ(io.get_filelen(&input), sf_count_t(bytes.size()));
  std::vector<unsigned char> got(700 * 1024);
  sf_count_t at = 0;
  // Reads in order (the buffer grows), then jumps back, forward, from the end and past it.
  for (int i = 0; i < 4000; ++i) {
    if (i > 300 && i % 7 == 0) {
      const int whence = int(random() % 3);
      const sf_count_t offset = sf_count_t(random() % (bytes.size() + 50000)) -
                                (whence == SEEK_SET ? 0 : sf_count_t(bytes.size() / 2));
      const sf_count_t target = whence == SEEK_SET ? offset
                                : whence == SEEK_CUR ? at + offset
                                                     : sf_count_t(bytes.size()) + offset;
      const sf_count_t moved = io.seek(offset, whence, &input);
      if (target < 0) {
        EXPECT_EQ(moved, -1);
      } else {
        ASSERT_EQ(moved, target);
        at = target;
      }
    }
    const sf_count_t want = i % 5 == 0 ? sf_count_t(random() % got.size()) : sf_count_t(random() % 9000);
    const sf_count_t n = io.read(got.data(), want, &input);
    const sf_count_t left = std::max<sf_count_t>(0, sf_count_t(bytes.size()) - at);
    ASSERT_EQ(n, std::min(want, left)) << "read " << i;
    ASSERT_TRUE(std::equal(got.begin(), got.begin() + n, bytes.begin() + at)) << "read " << i;
    at += n;
    ASSERT_EQ(io.tell(&input), at);
  }
  EXPECT_TRUE(input.error().empty());
}

TEST(BufferedFileInput, AFailedReadIsNotTakenForTheEnd) {
  TempFolder temp;
  const std::string path = temp.file("write-only.bin");
  std::ofstream(path) << "some bytes that cannot be read back";
  host::BufferedFileInput input(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  char out[16];
  EXPECT_EQ(host::BufferedFileInput::callbacks().read(out, sizeof out, &input), 0);
  EXPECT_FALSE(input.error().empty());
}

// A track decodes, block by block and after seeks, to exactly what libsndfile reads by itself.
TEST(BufferedFileInput, ATrackDecodesAsLibsndfileDecodesIt) {
  TempFolder temp;
  for (const auto& [name, format] :
       {std::pair<std::string, int>{"t.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"t.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"t.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}}) {
    const std::string path = temp.file(name);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr) << name;
    std::vector<float> frames(2 * 100000);
    for (size_t i = 0; i < frames.size(); ++i) frames[i] = 0.5f * std::sin(0.001f * float(i * (i % 3 + 1)));
    sf_writef_float(out, frames.data(), 100000);
    sf_close(out);

    SF_INFO plainInfo{};
    SNDFILE* plain = sf_open(path.c_str(), SFM_READ, &plainInfo);
    ASSERT_NE(plain, nullptr);
    auto opened = host::AudioFileStream::open(path);
    ASSERT_TRUE(opened) << opened.error;
    host::AudioFileStream& stream = **opened.value;
    EXPECT_EQ(stream.info().frames, int64_t(plainInfo.frames));
    std::vector<float> a(2 * 7000), b(a.size());
    for (int64_t start : {int64_t(0), int64_t(-1), int64_t(60000), int64_t(-1), int64_t(1234)}) {
      if (start >= 0) {
        std::string error;
        ASSERT_TRUE(stream.seek(start, error)) << error;
        ASSERT_EQ(sf_seek(plain, start, SEEK_SET), start);
      }
      const int64_t n = stream.read(a.data(), 7000);
      ASSERT_EQ(n, int64_t(sf_readf_float(plain, b.data(), 7000))) << name;
      ASSERT_TRUE(std::equal(a.begin(), a.begin() + 2 * n, b.begin())) << name << " from " << start;
    }
    EXPECT_FALSE(stream.failed());
    sf_close(plain);
  }
}

}  // namespace
