// What the reader says of a track that is no audio file to play: a folder, a device or a FIFO
// is "not a regular file" (and a FIFO is not opened for reading at all, which would wait for a
// writer); a header whose sample rate is 0 or beyond 32 bits says its sample rate is invalid.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>

#include "CommandHarness.h"
#include "host/media/AudioFileReader.h"

namespace {

using namespace tunely_test;

// The reason probing `path` gives, waiting at most a few seconds. A FIFO that makes the probe
// wait for a writer gets one that writes nothing, so the test ends either way.
std::string probeFailure(const std::string& path) {
  auto probe = std::async(std::launch::async, [path] { return host::probeAudioFile(path); });
  if (probe.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "probing " << path << " waited";
    if (const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) close(fd);
  }
  const host::Outcome<host::AudioFileInfo> info = probe.get();
  EXPECT_FALSE(info) << path;
  return info.error;
}

// A WAV file whose header gives `rate` as its sample rate (the "fmt " chunk's third field).
void writeWavWithRate(const std::string& path, uint32_t rate) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  const std::vector<short> samples(2000, 1000);
  sf_writef_short(f, samples.data(), 1000);
  sf_close(f);
  std::fstream io(path, std::ios::in | std::ios::out | std::ios::binary);
  std::string head(64, '\0');
  io.read(head.data(), std::streamsize(head.size()));
  const size_t fmt = head.find("fmt ");
  ASSERT_NE(fmt, std::string::npos);
  io.seekp(std::streamoff(fmt + 12));
  io.write(reinterpret_cast<const char*>(&rate), 4);
}

TEST(TrackFileCheck, FoldersDevicesAndFifosAreNotRegularFiles) {
  TempFolder temp;
  const std::string fifo = temp.file("pipe.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {temp.path(), std::string("/dev/null"), fifo})
    EXPECT_EQ(probeFailure(path), "not a regular file") << path;
  // A file that is not there still says so.
  EXPECT_NE(probeFailure(temp.file("missing.wav")).find("No such file"), std::string::npos);
}

TEST(TrackFileCheck, ASampleRateOfZeroOrBeyondThirtyTwoBitsIsCalledInvalid) {
  TempFolder temp;
  for (const uint32_t rate : {0u, 4000000000u}) {
    const std::string path = temp.file(std::to_string(rate) + ".wav");
    writeWavWithRate(path, rate);
    EXPECT_EQ(probeFailure(path), "its sample rate is invalid") << rate;
  }
  // The same header with a rate it can have plays.
  writeWavWithRate(temp.file("ok.wav"), 22050);
  const host::Outcome<host::AudioFileInfo> ok = host::probeAudioFile(temp.file("ok.wav"));
  ASSERT_TRUE(ok) << ok.error;
  EXPECT_EQ(ok.value->sampleRate, 22050);
}

}  // namespace
