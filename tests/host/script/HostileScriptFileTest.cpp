// Scripts and screenshots that are not ordinary files: a device or a FIFO given as the script
// is refused at once, and a screenshot step onto a FIFO is reported with its line, not waited on.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "CommandHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;

class HostileScriptFile : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return temp_.file(name); }
  CommandResult play(const std::string& script) {
    writeFloatWav(file("in.wav"), testSignal(44100, 2, 2.0));
    return runTunely({"play", "--device-root", file("device"), file("in.wav"), "--output",
                      file("out.wav"), "--script", script},
                     temp_.path());
  }

 private:
  TempFolder temp_;
};

TEST_F(HostileScriptFile, ADeviceOrAFifoAsTheScriptIsRefusedBeforeAnythingPlays) {
  ASSERT_EQ(::mkfifo(file("pipe.script").c_str(), 0644), 0);
  for (const std::string& script : {std::string("/dev/zero"), file("pipe.script")}) {
    const CommandResult r = play(script);
    EXPECT_EQ(r.status, 1) << script << "\n" << r.output;
    EXPECT_NE(r.output.find("cannot read the script \"" + script + "\": "), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("not a regular file"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(file("out.wav")));
  }
}

TEST_F(HostileScriptFile, AScreenshotOntoAFifoIsReportedByLineAndTheRenderGoesOn) {
  ASSERT_EQ(::mkfifo(file("shot.png").c_str(), 0644), 0);
  std::ofstream(file("session.script")) << "0.5 screenshot " << file("shot.png") << "\n1.0 screenshot "
                                        << file("good.png") << "\n";
  const CommandResult r = play(file("session.script"));
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("session.script:1: screenshot"), std::string::npos) << r.output;
  EXPECT_TRUE(fs::is_fifo(file("shot.png")));
  EXPECT_TRUE(fs::is_regular_file(file("good.png")));
  EXPECT_EQ(readWav(file("out.wav")).frames, 88200);
}

}  // namespace
