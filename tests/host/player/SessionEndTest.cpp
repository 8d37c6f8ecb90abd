// However a session ends with the equalizer panel open (the script and the queue running out, a
// signal, Ctrl-Q or the close button of a real window), the player closes the panel as the
// listener's "Done" would, cancelling an open dialog first: the last state written is the one
// "Done" writes, and the dialog's unfinished preset is not saved.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CommandHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;

const char* kDataFolder = "/var/mobile/Library/Application Support/Tunely/";

// The panel opened after the last state has loaded, two controls moved, and the save dialog left
// open with a name typed.
const char* kOpenPanelSteps = R"(0.2 tap eq-button
2.2 switch powerSwitch on
2.3 slide gainSlider 9
2.3 slide freqSlider 900
2.4 tap "Options"
2.4 tap "Save"
2.4 type nameField "Unsaved"
)";

class SessionEndTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return temp_.file(name); }
  std::string dataFile(const std::string& root, const std::string& name) const { return root + kDataFolder + name; }

  // The last state the listener's own "Cancel" and "Done" write after the same steps.
  std::string lastStateDoneWrites() {
    const std::string script = file("done.script");
    std::ofstream(script) << kOpenPanelSteps << "2.6 tap \"Cancel\"\n2.6 tap \"Done\"\n";
    const CommandResult r = runTunely({"play", "--device-root", file("done-device"), file("in.wav"), "--output",
                                       file("done.wav"), "--script", script},
                                      temp_.path());
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string saved = fileContents(dataFile(file("done-device"), "last.plist"));
    EXPECT_NE(saved.find("<string>9.000000</string>"), std::string::npos) << saved;
    return saved;
  }

  TempFolder temp_;
};

TEST_F(SessionEndTest, TheEndOfTheScriptAndQueueClosesThePanelAsDoneWouldAfterCancellingTheDialog) {
  writeFloatWav(file("in.wav"), testSignal(44100, 2, 3.0));
  const std::string expected = lastStateDoneWrites();
  std::ofstream(file("open.script")) << kOpenPanelSteps;
  const std::string root = file("device");
  const CommandResult r = runTunely(
      {"play", "--device-root", root, file("in.wav"), "--output", file("out.wav"), "--script", file("open.script")},
      temp_.path());
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Closed the equalizer panel left open"), std::string::npos) << r.output;
  EXPECT_EQ(fileContents(dataFile(root, "last.plist")), expected);
  EXPECT_EQ(fileContents(dataFile(root, "presets.plist")).find("Unsaved"), std::string::npos);
}

TEST_F(SessionEndTest, SigtermWhilePlayingLiveClosesThePanelAsDoneWould) {
  writeFloatWav(file("in.wav"), testSignal(44100, 2, 3.0));
  const std::string expected = lastStateDoneWrites();
  // Live the steps follow the wall clock; a screenshot after them says they have run.
  writeFloatWav(file("long.wav"), testSignal(44100, 2, 30.0));
  std::ofstream(file("open.script")) << kOpenPanelSteps << "2.5 screenshot " << file("steps-done.png") << "\n";
  const std::string root = file("device");
  RunningTunely tunely({"play", "--device-root", root, file("long.wav"), "--no-window", "--script", file("open.script")},
                       temp_.path(), {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", file("device.raw")}});
  ASSERT_TRUE(tunely.started());
  for (int i = 0; i < 200 && !fs::exists(file("steps-done.png")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(fs::exists(file("steps-done.png"))) << tunely.output();
  tunely.signal(SIGTERM);
  const CommandResult r = tunely.wait(20);
  EXPECT_EQ(r.status, 143) << r.output;
  EXPECT_EQ(fileContents(dataFile(root, "last.plist")), expected) << r.output;
  EXPECT_EQ(fileContents(dataFile(root, "presets.plist")).find("Unsaved"), std::string::npos);
}

}  // namespace
