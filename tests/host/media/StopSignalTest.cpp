// SIGTERM and SIGHUP stop the `tunely` command as Ctrl-C does: at the next block, the output
// closed whole, the exit status 128 plus the signal's number. Offline the render is held in a
// pause (a window on SDL's dummy video driver keeps it going at the wall clock's pace) so the
// signal is sure to find it running; live it plays on SDL's disk audio driver.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "CommandHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;

// Standard output of a shell command, or nothing when it fails.
std::string commandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (pclose(pipe) != 0) out.clear();
  }
  return out;
}

// A Python that has the soundfile module (the one on PATH, or Debian's own), or none.
std::string pythonWithSoundfile() {
  for (const char* python : {"python3", "/usr/bin/python3"})
    if (std::system((std::string(python) + " -c 'import soundfile' >/dev/null 2>&1").c_str()) == 0)
      return python;
  return {};
}

// The frames a WAV file holds from its "data" chunk to its end, and whether its header says
// as much.
struct DataChunk {
  int64_t frames = -1;
  bool headerAgrees = false;
};
DataChunk dataChunkOf(const std::string& path, int channels) {
  std::ifstream in(path, std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), std::streamsize(head.size()));
  const size_t at = head.find("data");
  DataChunk chunk;
  if (at == std::string::npos) return chunk;
  const int64_t bytes = int64_t(fs::file_size(path)) - int64_t(at + 8);
  uint32_t declared = 0;
  std::memcpy(&declared, head.data() + at + 4, 4);
  chunk.frames = bytes / (4 * channels);
  chunk.headerAgrees = declared == uint64_t(bytes);
  return chunk;
}

// A window on SDL's dummy video driver. SDL then talks to D-Bus, whose client library keeps a
// block for the life of the process that the sanitizer build's leak check would report.
const std::map<std::string, std::string> kDummyWindow{
    {"DISPLAY", ":0"}, {"SDL_VIDEODRIVER", "dummy"}, {"ASAN_OPTIONS", "detect_leaks=0"}};

class StopSignalTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return temp_.file(name); }
  std::vector<std::string> play(std::vector<std::string> args) const {
    args.insert(args.begin(), {"play", "--device-root", file("device")});
    return args;
  }
  TempFolder temp_;
};

TEST_F(StopSignalTest, AnOfflineRenderStoppedBySigtermOrSighupIsReadableWholeBySoxAndSoundfile) {
  const host::DecodedAudio in = testSignal(44100, 2, 20.0);
  writeFloatWav(file("in.wav"), in);
  std::ofstream(file("pause.script")) << "0.5 tap play\n";
  const std::string python = pythonWithSoundfile();
  for (const int signal : {SIGTERM, SIGHUP}) {
    const std::string name = signal == SIGTERM ? "SIGTERM" : "SIGHUP";
    const std::string out = file(name + ".wav");
    RunningTunely tunely(play({file("in.wav"), "--window", "--script", file("pause.script"),
                               "--output", out}),
                         temp_.path(), kDummyWindow);
    ASSERT_TRUE(tunely.waitForOutput("Playing 1 track", 30)) << tunely.output();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // into the pause
    tunely.signal(signal);
    const CommandResult r = tunely.wait(20);
    EXPECT_EQ(r.status, 128 + signal) << r.output;
    EXPECT_NE(r.output.find("Stopped by " + name + "."), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Wrote \"" + out + "\""), std::string::npos) << r.output;

    // The header counts every frame written: the music up to the pause, then its silence.
    const DataChunk chunk = dataChunkOf(out, 2);
    EXPECT_TRUE(chunk.headerAgrees) << name;
    const int64_t pausedAt = 6 * 4096;  // the first block boundary at or after 0.5 s
    ASSERT_GT(chunk.frames, pausedAt) << name;
    const host::DecodedAudio written = readWav(out);
    ASSERT_EQ(written.frames, chunk.frames) << name;
    EXPECT_EQ(0, std::memcmp(written.samples.data(), in.samples.data(), size_t(pausedAt) * 2 * 4));
    EXPECT_EQ(written.samples[size_t(pausedAt) * 2], 0.0f);

    const std::string sox =
        commandOutput("sox -V1 '" + out + "' -t f32 - 2>/dev/null | wc -c");
    EXPECT_EQ(std::atoll(sox.c_str()), chunk.frames * 8) << name << ": sox read " << sox;
    if (!python.empty()) {
      const std::string frames = commandOutput(
          python + " -c 'import soundfile, sys; print(len(soundfile.read(sys.argv[1])[0]))' '" +
          out + "'");
      EXPECT_EQ(std::atoll(frames.c_str()), chunk.frames) << name << ": soundfile read " << frames;
    }
  }
  if (python.empty()) GTEST_SKIP() << "sox read the files whole; no python3 with soundfile to check";
}

// Live, the sound library must not take SIGTERM for itself (it would turn it into a quit event
// that ends nothing, or closes the window as if the listener had): it stops the player, with a
// window or without. Ctrl-C keeps its status.
TEST_F(StopSignalTest, LivePlaybackStopsAtTheSignalWithItsStatusWithOrWithoutAWindow) {
  writeFloatWav(file("in.wav"), testSignal(44100, 2, 20.0));
  struct Case {
    int signal;
    const char* name;
    bool window;
  };
  for (const Case c : {Case{SIGTERM, "SIGTERM", false}, Case{SIGHUP, "SIGHUP", false},
                       Case{SIGTERM, "SIGTERM", true}, Case{SIGINT, "SIGINT", false}}) {
    std::map<std::string, std::string> environment{{"SDL_AUDIODRIVER", "disk"},
                                                   {"SDL_DISKAUDIOFILE", file("device.raw")}};
    if (c.window) environment.insert(kDummyWindow.begin(), kDummyWindow.end());
    RunningTunely tunely(play({file("in.wav"), c.window ? "--window" : "--no-window"}), temp_.path(),
                         environment);
    ASSERT_TRUE(tunely.waitForOutput("Playing 1 track on the sound device", 30)) << tunely.output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    tunely.signal(c.signal);
    // The track lasts 20 s; stopping takes a block.
    const CommandResult r = tunely.wait(10);
    EXPECT_EQ(r.status, 128 + c.signal) << c.name << (c.window ? " with a window\n" : "\n") << r.output;
    EXPECT_NE(r.output.find(std::string("Stopped by ") + c.name), std::string::npos) << r.output;
  }
}

}  // namespace
