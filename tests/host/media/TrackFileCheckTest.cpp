// What the reader says of a track that is no audio file to play: a folder, a device or a FIFO
// is "not a regular file" (and a FIFO is not opened for reading at all, which would wait for a
// writer); a header whose sample rate is 0 or beyond 32 bits says its sample rate is invalid.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <future>

#include "CommandHarness.h"
#include "host/media/AudioFileReader.h"
#include "host/media/OggChain.h"

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

// An Ogg Vorbis file of a quarter second of a tone.
std::string oggVorbisBytes(const std::string& path, double hz) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 1;
  info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
  if (!f) return {};
  std::vector<float> tone(11025);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.5f * float(std::sin(6.283185307179586 * hz * double(i) / 44100));
  sf_writef_float(f, tone.data(), sf_count_t(tone.size()));
  sf_close(f);
  return fileContents(path);
}

// Two Ogg files joined make a chained one: the player says that only its first stream plays.
TEST(TrackFileCheck, AChainedOggFileIsCountedAndReported) {
  TempFolder temp;
  const std::string first = oggVorbisBytes(temp.file("a.ogg"), 440), second = oggVorbisBytes(temp.file("b.ogg"), 660);
  ASSERT_FALSE(first.empty());
  writeFileMakingFolders(temp.file("chained.ogg"), first + second + first);
  EXPECT_EQ(host::chainedOggStreams(temp.file("a.ogg")), 1);
  EXPECT_EQ(host::chainedOggStreams(temp.file("chained.ogg")), 3);
  writeWavWithRate(temp.file("plain.wav"), 44100);
  EXPECT_EQ(host::chainedOggStreams(temp.file("plain.wav")), 0);
  // Cut inside its second stream, it still counts what it can see.
  writeFileMakingFolders(temp.file("cut.ogg"), first + second.substr(0, second.size() / 2));
  EXPECT_EQ(host::chainedOggStreams(temp.file("cut.ogg")), 2);

  const CommandResult r = runTunely({"play", "--device-root", temp.file("device"), "--no-tweaks", temp.file("a.ogg"),
                                     temp.file("chained.ogg"), "--output", temp.file("out.wav")},
                                    temp.path());
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("\"" + temp.file("chained.ogg") + "\" holds 3 Ogg streams one after the other; only the "
                          "first plays"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("a.ogg\" holds"), std::string::npos) << r.output;
  // What the message says: the chained file played as long as its first stream.
  EXPECT_EQ(readWav(temp.file("out.wav")).frames, 2 * 11025);
}

}  // namespace
