// The offline render's output file and what the command says of it: a file is put in place only
// when written whole, a failure leaves the previous file as it was and names the file, and the
// summary calls levels that are no number of decibels what they are.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "CommandHarness.h"
#include "host/media/OutputFile.h"

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;

// The names in the folder other than the command's own log.
std::vector<std::string> folderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != "tunely-output.txt") names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The summary's line for track `number` and `side` ("input " or "output").
std::string levelsLine(const std::string& output, int number, const std::string& side) {
  const size_t track = output.find("  " + std::to_string(number) + ". ");
  const size_t line = output.find("    " + side + " peak", track);
  if (track == std::string::npos || line == std::string::npos) return {};
  return output.substr(line, output.find('\n', line) - line);
}

class RenderOutputTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return temp_.file(name); }
  std::vector<std::string> play(std::vector<std::string> args) const {
    args.insert(args.begin(), {"play", "--device-root", file("device"), "--no-tweaks"});
    return args;
  }
  TempFolder temp_;
};

// A write that fails mid-render (the file size limit stands in for a full disk) drops what was
// written: the earlier render stays as it was.
TEST_F(RenderOutputTest, AFailedWriteNamesTheFileAndLeavesThePreviousOneUntouched) {
  writeFloatWav(file("in.wav"), testSignal(44100, 2, 3.0));  // about 1 MiB rendered
  std::ofstream(file("out.wav")) << "the previous render";
  runTunely(play({file("in.wav"), "--output", file("elsewhere.wav")}), temp_.path());  // lays out the root

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 256 * 1024;
  // Ignored, SIGXFSZ makes a write beyond the limit fail instead of ending the process.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  setrlimit(RLIMIT_FSIZE, &small);
  RunningTunely tunely(play({file("in.wav"), "--output", file("out.wav")}), temp_.path());
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);
  const CommandResult r = tunely.wait(60);

  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("cannot write \"" + file("out.wav") + "\": "), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Wrote"), std::string::npos) << r.output;
  EXPECT_EQ(fileContents(file("out.wav")), "the previous render");
  EXPECT_EQ(folderNames(temp_.path()),
            (std::vector<std::string>{"device", "elsewhere.wav", "in.wav", "out.wav"}));
}

// A pause at the very start that nothing can end stops the render before its first block.
TEST_F(RenderOutputTest, ARenderThatStopsBeforeItsFirstBlockWritesNoFile) {
  writeFloatWav(file("in.wav"), testSignal(44100, 2, 1.0));
  std::ofstream(file("pause.script")) << "0 tap play\n";
  std::ofstream(file("kept.wav")) << "the previous render";
  for (const std::string name : {"new.wav", "kept.wav"}) {
    const CommandResult r =
        runTunely(play({file("in.wav"), "--script", file("pause.script"), "--output", file(name)}),
                  temp_.path());
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("Nothing was rendered"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("Wrote"), std::string::npos) << r.output;
  }
  EXPECT_FALSE(fs::exists(file("new.wav")));
  EXPECT_EQ(fileContents(file("kept.wav")), "the previous render");
  EXPECT_EQ(folderNames(temp_.path()),
            (std::vector<std::string>{"device", "in.wav", "kept.wav", "pause.script"}));
}

TEST_F(RenderOutputTest, TheSummaryCallsInfiniteAndNotANumberLevelsWhatTheyAre) {
  host::DecodedAudio infinite = testSignal(44100, 2, 1.0, 1), nan = testSignal(44100, 2, 1.0, 2);
  infinite.samples[1000] = std::numeric_limits<float>::infinity();
  nan.samples[1000] = std::numeric_limits<float>::quiet_NaN();
  writeFloatWav(file("infinite.wav"), infinite);
  writeFloatWav(file("nan.wav"), nan);
  const CommandResult r =
      runTunely(play({file("infinite.wav"), file("nan.wav"), "--output", file("out.wav")}), temp_.path());
  ASSERT_EQ(r.status, 0) << r.output;
  for (const std::string side : {"input ", "output"}) {
    const std::string infiniteLine = levelsLine(r.output, 1, side), nanLine = levelsLine(r.output, 2, side);
    EXPECT_NE(infiniteLine.find("peak    +inf dBFS   RMS    +inf dBFS"), std::string::npos) << r.output;
    EXPECT_NE(nanLine.find("RMS not a number   bass RMS not a number"), std::string::npos) << r.output;
    // The loudness meter would call either track silent (-inf LUFS).
    for (const std::string& line : {infiniteLine, nanLine})
      EXPECT_NE(line.find("loudness    n/a LUFS"), std::string::npos) << line;
  }
  EXPECT_NE(r.output.find("Wrote \"" + file("out.wav") + "\" (2.00 s)"), std::string::npos) << r.output;
}

// The file is replaced where it is: a symbolic link keeps pointing at the new render, which keeps
// the replaced file's permissions; a device cannot be replaced and is written in place.
TEST_F(RenderOutputTest, AReplacedFileKeepsItsLinkAndPermissionsAndADeviceIsWrittenInPlace) {
  std::ofstream(file("real.wav")) << "old";
  chmod(file("real.wav").c_str(), 0640);
  fs::create_symlink(file("real.wav"), file("link.wav"));
  const float frames[4] = {0.5f, -0.5f, 0.25f, -0.25f};
  std::string error;
  {
    host::OutputFile out;
    ASSERT_TRUE(out.open(file("link.wav"), 44100, 2, error)) << error;
    ASSERT_TRUE(out.sink().write(frames, 2, error)) << error;
    ASSERT_TRUE(out.commit(error)) << error;
  }
  EXPECT_TRUE(fs::is_symlink(file("link.wav")));
  EXPECT_EQ(readWav(file("link.wav")).frames, 2);
  EXPECT_EQ(fs::status(file("real.wav")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  host::OutputFile null;
  ASSERT_TRUE(null.open("/dev/null", 44100, 2, error)) << error;
  ASSERT_TRUE(null.sink().write(frames, 2, error)) << error;
  ASSERT_TRUE(null.commit(error)) << error;
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(folderNames(temp_.path()), (std::vector<std::string>{"link.wav", "real.wav"}));

  host::OutputFile folder;
  EXPECT_FALSE(folder.open(temp_.path(), 44100, 2, error));
  EXPECT_EQ(error, "it is a folder");
}

}  // namespace

namespace {

// A render killed before its end leaves its partial output under a hidden temporary name; the
// next render into that file removes it, and nothing else of the folder.
TEST_F(RenderOutputTest, TheNextRenderRemovesWhatAKilledRenderLeftBehind) {
  writeFloatWav(file("in.wav"), testSignal(44100, 2, 0.2));
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  for (const char* name : {".out.wav.k1LLed", ".out.wav.keep", ".in.wav.k1LLed"}) {
    std::ofstream(file(name)) << "partial";
    fs::last_write_time(file(name), old);
  }
  const CommandResult r = runTunely(play({file("in.wav"), "--output", file("out.wav")}), temp_.path());
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<std::string> left = folderNames(temp_.path());
  EXPECT_EQ(std::count(left.begin(), left.end(), ".out.wav.k1LLed"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), ".out.wav.keep"), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), ".in.wav.k1LLed"), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), "out.wav"), 1);
}

}  // namespace
