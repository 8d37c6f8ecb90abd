// The player in a real window on an X server (Xvfb), worked by synthetic mouse and key events
// (xdotool) as a person would: a click on the equalizer button opens the panel over the player,
// a drag moves a slider and so the engine's parameter (which the closing panel saves), and the
// session's screenshots show the panel. Live playback goes to SDL's disk audio driver.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

#include "CommandHarness.h"
#include "coregraphics/CGImage.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;
using namespace std::chrono_literals;

bool onPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Starts a program with extra environment; answers its process id (0 on failure).
pid_t spawn(std::vector<std::string> args, const std::vector<std::string>& extraEnvironment,
            const std::string& log) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env(extraEnvironment);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits for the process to end within the time; answers its exit status, or -1.
int waitFor(pid_t pid, std::chrono::seconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < until) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(50ms);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

class RealWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!onPath("Xvfb") || !onPath("xdotool")) GTEST_SKIP() << "needs Xvfb and xdotool";
    display_ = ":" + std::to_string(90 + getpid() % 100);
    xvfb_ = spawn({"Xvfb", display_, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {}, temp_.file("xvfb.log"));
    ASSERT_NE(xvfb_, 0);
    const std::string socket = "/tmp/.X11-unix/X" + display_.substr(1);
    for (int i = 0; i < 100 && !fs::exists(socket); ++i) std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(fs::exists(socket)) << fileContents(temp_.file("xvfb.log"));
  }
  void TearDown() override {
    if (xvfb_ != 0) {
      kill(xvfb_, SIGTERM);
      waitFor(xvfb_, std::chrono::seconds(5));
    }
  }

  // Runs xdotool on the test's display; answers what it printed.
  std::string xdotool(const std::string& arguments) {
    const std::string command = "DISPLAY=" + display_ + " xdotool " + arguments + " 2>&1";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[256];
      while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
      pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
  }

  // Starts `tunely play` with `arguments` in a window on the test's display at scale 1, playing to
  // SDL's disk audio driver into `sound`; its messages go to `log`. The X11 and D-Bus client
  // libraries under SDL's video keep blocks for the life of the process that the sanitizer
  // build's leak check would report, so it is off for the player.
  pid_t startPlayer(std::vector<std::string> arguments, const std::string& sound, const std::string& log) {
    arguments.insert(arguments.begin(), {TUNELY_COMMAND, "play"});
    arguments.insert(arguments.end(), {"--window", "--scale", "1"});
    return spawn(arguments,
                 {"DISPLAY=" + display_, "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + sound, "ASAN_OPTIONS=detect_leaks=0"},
                 log);
  }

  TempFolder temp_;
  std::string display_;
  pid_t xvfb_ = 0;
};

// Waits up to 15 s for the player to write a file (a screenshot step's marker).
bool waitFile(const std::string& path) {
  for (int i = 0; i < 300 && !fs::exists(path); ++i) std::this_thread::sleep_for(50ms);
  return fs::exists(path);
}

// Whether a screenshot shows the panel: the panel's dark bar under the status bar, where the
// player shows white.
bool showsThePanel(const std::string& png) {
  CGImage image;
  if (!CGImageReadPNG(png, image) || image.width < 320) return false;
  const uint8_t* px = &image.rgba[(size_t(30) * image.width + 160) * 4];
  return px[0] < 100 && px[1] < 100 && px[2] < 100;
}

TEST_F(RealWindowTest, AClickOpensThePanelADragMovesTheEngineAndCtrlQEndsTheSession) {
  const std::string root = temp_.file("device");
  writeFloatWav(temp_.file("in.wav"), testSignal(44100, 2, 40.0));
  // Screenshots every half second show what the window shows, whatever the timing of the clicks.
  std::ofstream script(temp_.file("shots.script"));
  for (int i = 1; i <= 60; ++i) script << i * 0.5 << " screenshot " << temp_.file("shot" + std::to_string(i) + ".png") << "\n";
  script.close();
  const pid_t player = startPlayer({"--device-root", root, temp_.file("in.wav"),
                                    "--script", temp_.file("shots.script")},
                                   temp_.file("sound.raw"), temp_.file("player.log"));
  ASSERT_NE(player, 0);
  const std::string window = xdotool("search --sync --onlyvisible --class tunely");
  ASSERT_FALSE(window.empty()) << fileContents(temp_.file("player.log"));
  // The window's client area is exactly the device screen at the scale asked for.
  const std::string geometry = xdotool("getwindowgeometry --shell " + window);
  EXPECT_NE(geometry.find("WIDTH=320"), std::string::npos) << geometry;
  EXPECT_NE(geometry.find("HEIGHT=568"), std::string::npos) << geometry;
  // A person clicks again when a click was not taken; the screenshots tell whether it was.
  auto newestShowsThePanel = [&] {
    for (int i = 60; i >= 1; --i) {
      const std::string shot = temp_.file("shot" + std::to_string(i) + ".png");
      if (fs::exists(shot)) return showsThePanel(shot);
    }
    return false;
  };
  auto waitUntil = [](const std::function<bool()>& done, std::chrono::seconds limit) {
    for (auto until = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < until;) {
      if (done()) return true;
      std::this_thread::sleep_for(100ms);
    }
    return false;
  };

  // The equalizer's image button sits at x 240, y 533 (30 x 30), its left part under the text
  // button: click its right part.
  bool opened = false;
  for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
    xdotool("mousemove --window " + window + " 264 548 click 1");
    opened = waitUntil(newestShowsThePanel, std::chrono::seconds(4));
  }
  ASSERT_TRUE(opened) << fileContents(temp_.file("player.log"));
  // The filter gain slider, under the response curve (its centre line at y 291 on the 568-point
  // screen): its thumb sits at 1 dB of 0 to 24 near the left end of its track.
  xdotool("mousemove --window " + window + " 41 291 mousedown 1");
  for (int x = 60; x <= 200; x += 20) xdotool("mousemove --window " + window + " " + std::to_string(x) + " 291");
  xdotool("mouseup 1");
  // Done closes the panel, which saves the state; the clicks wait for each other's effects.
  const std::string saved = lastStatePath(root);
  EXPECT_TRUE(waitUntil([&] {
    if (fileContents(saved).find("filtgain") != std::string::npos) return true;
    xdotool("mousemove --window " + window + " 35 42 click 1");
    return false;
  }, std::chrono::seconds(10)));
  xdotool("key --window " + window + " ctrl+q");
  const int status = waitFor(player, std::chrono::seconds(30));
  const std::string log = fileContents(temp_.file("player.log"));
  EXPECT_EQ(status, 0) << log;

  // The drag reached the engine: the closed panel saved a gain well up the slider.
  const std::string last = fileContents(lastStatePath(root));
  const size_t at = last.find("<key>filtgain</key>");
  ASSERT_NE(at, std::string::npos) << last << log;
  const double gain = std::atof(last.c_str() + last.find("<string>", at) + 8);
  EXPECT_GT(gain, 10.0) << last;
  EXPECT_LT(gain, 20.0) << last;
}

}  // namespace

namespace {

// A listener at the desktop: typing before clicking the save dialog's field still names the
// preset, Escape cancels the dialog, the wheel over the volume slider turns it down, the next
// key moves to the next track, and Ctrl-Q with the panel open closes it as "Done" would.
TEST_F(RealWindowTest, DesktopKeysWheelAndCtrlQWithThePanelOpen) {
  const std::string root = temp_.file("device");
  writeFloatWav(temp_.file("one.wav"), testSignal(44100, 2, 40.0));
  writeFloatWav(temp_.file("two.wav"), testSignal(44100, 2, 40.0, 2));
  auto marker = [&](int n) { return temp_.file("marker" + std::to_string(n) + ".png"); };
  std::ofstream script(temp_.file("desk.script"));
  script << "0.3 tap eq-button\n2.3 slide gainSlider 9\n2.4 tap \"Options\"\n2.4 tap \"Save\"\n"
         << "2.5 screenshot " << marker(1) << "\n"
         << "6.0 tap \"Save\"\n6.5 tap \"Options\"\n6.5 tap \"Save\"\n6.6 screenshot " << marker(2) << "\n"
         // Reached only once Escape has taken the dialog away.
         << "10.0 tap \"Options\"\n10.0 tap \"Cancel\"\n10.1 screenshot " << marker(3) << "\n";
  script.close();
  const pid_t player = startPlayer({"--device-root", root, temp_.file("one.wav"), temp_.file("two.wav"),
                                    "--script", temp_.file("desk.script")},
                                   temp_.file("sound.raw"), temp_.file("player.log"));
  ASSERT_NE(player, 0);
  const std::string window = xdotool("search --sync --onlyvisible --class tunely");
  ASSERT_FALSE(window.empty()) << fileContents(temp_.file("player.log"));
  ASSERT_TRUE(waitFile(marker(1))) << fileContents(temp_.file("player.log"));
  xdotool("type --window " + window + " Mix");
  ASSERT_TRUE(waitFile(marker(2))) << fileContents(temp_.file("player.log"));
  xdotool("key --window " + window + " Escape");
  ASSERT_TRUE(waitFile(marker(3))) << fileContents(temp_.file("player.log"));
  // The panel stays open; Done closes it further down. The volume slider lies at y 467 behind it:
  // close the panel first through the keyboard's way out, Ctrl-Q, in a second session below.
  xdotool("key --window " + window + " ctrl+q");
  const int status = waitFor(player, std::chrono::seconds(30));
  const std::string log = fileContents(temp_.file("player.log"));
  EXPECT_EQ(status, 0) << log;
  EXPECT_EQ(log.find("skipped"), std::string::npos) << log;
  EXPECT_NE(log.find("Closed the equalizer panel left open"), std::string::npos) << log;
  EXPECT_NE(fileContents(root + "/var/mobile/Library/Application Support/Tunely/presets.plist").find("<key>Mix</key>"),
            std::string::npos);
  EXPECT_NE(fileContents(lastStatePath(root)).find("<key>filtgain</key>\n\t<string>9.000000</string>"), std::string::npos)
      << fileContents(lastStatePath(root));

  // The Now Playing screen: the wheel turns the volume down three steps, the next key skips.
  const pid_t again = startPlayer({"--device-root", root, temp_.file("one.wav"), temp_.file("two.wav")},
                                  temp_.file("sound2.raw"), temp_.file("again.log"));
  ASSERT_NE(again, 0);
  const std::string window2 = xdotool("search --sync --onlyvisible --class tunely");
  ASSERT_FALSE(window2.empty()) << fileContents(temp_.file("again.log"));
  std::this_thread::sleep_for(1s);
  xdotool("mousemove --window " + window2 + " 160 467 click 5 click 5 click 5");
  xdotool("key --window " + window2 + " XF86AudioNext");
  std::this_thread::sleep_for(1500ms);
  xdotool("key --window " + window2 + " ctrl+q");
  EXPECT_EQ(waitFor(again, std::chrono::seconds(30)), 0);
  const std::string againLog = fileContents(temp_.file("again.log"));
  EXPECT_NE(againLog.find("two.wav"), std::string::npos) << againLog;
  EXPECT_EQ(fileContents(root + "/var/mobile/Library/Preferences/tunely-player.conf"), "volume=0.940\n") << againLog;
}

}  // namespace

namespace {

// With a window the queue's end is not the session's: playing stops on the last track, the
// window stays, and Play starts the queue again; Next on the last track stops it the same way.
// The window's title names the track in both of X11's title properties.
TEST_F(RealWindowTest, TheWindowStaysAtTheEndOfTheQueueAndPlayStartsItAgain) {
  writeFloatWav(temp_.file("a.wav"), testSignal(44100, 2, 1.0, 3));
  writeFloatWav(temp_.file("b.wav"), testSignal(44100, 2, 1.0, 4));
  auto marker = [&](int n) { return temp_.file("marker" + std::to_string(n) + ".png"); };
  std::ofstream script(temp_.file("end.script"));
  script << "3.0 screenshot " << marker(1) << "\n3.0 tap play\n"  // played out at 2 s: a b again
         << "3.5 tap next\n4.0 tap next\n"                           // b, then Next on the last track
         << "5.0 screenshot " << marker(2) << "\n5.0 tap play\n"  // a b once more
         << "8.0 screenshot " << marker(3) << "\n";
  script.close();
  const pid_t player = startPlayer({"--device-root", temp_.file("device"), temp_.file("a.wav"), temp_.file("b.wav"),
                                    "--script", temp_.file("end.script")},
                                   temp_.file("sound.raw"), temp_.file("player.log"));
  ASSERT_NE(player, 0);
  for (int i = 0; i < 400 && !fs::exists(marker(3)); ++i) std::this_thread::sleep_for(50ms);
  ASSERT_TRUE(fs::exists(marker(1)) && fs::exists(marker(2)) && fs::exists(marker(3)))
      << fileContents(temp_.file("player.log"));
  // Still open after the queue played out for the third time, until the listener closes it.
  std::this_thread::sleep_for(500ms);
  int status = 0;
  ASSERT_EQ(waitpid(player, &status, WNOHANG), 0) << fileContents(temp_.file("player.log"));
  const std::string window = xdotool("search --onlyvisible --class tunely");
  // Both title properties name the last track in UTF-8, as window lists read them.
  if (onPath("xprop")) {
    std::string titles;
    if (FILE* pipe = popen(("DISPLAY=" + display_ + " LC_ALL=C.UTF-8 xprop -id " + window + " WM_NAME _NET_WM_NAME").c_str(), "r")) {
      char buffer[256];
      while (fgets(buffer, sizeof buffer, pipe)) titles += buffer;
      pclose(pipe);
    }
    EXPECT_EQ(titles, "WM_NAME(UTF8_STRING) = \"b \u2014 Unknown Artist\"\n_NET_WM_NAME(UTF8_STRING) = \"b \u2014 Unknown Artist\"\n");
  }
  xdotool("key --window " + window + " ctrl+q");
  EXPECT_EQ(waitFor(player, std::chrono::seconds(30)), 0);
  const std::string log = fileContents(temp_.file("player.log"));
  std::string order;
  const std::regex item(R"(\d+\. \S*/(\w)\.wav \()");
  for (std::sregex_iterator i(log.begin(), log.end(), item), end; i != end; ++i) order += (*i)[1].str();
  EXPECT_EQ(order, "ababab") << log;
  // Each time the queue ended the screen stood the same: the last track at its end, Play offered.
  CGImage first, third;
  ASSERT_TRUE(CGImageReadPNG(marker(1), first) && CGImageReadPNG(marker(3), third));
  EXPECT_TRUE(first.rgba == third.rgba);
}

}  // namespace

namespace {

// The share of pixels of `rect` (x, y, width, height, in pixels) that differ between two images.
double shareChanged(const std::string& a, const std::string& b, int x0, int y0, int w, int h) {
  CGImage one, two;
  if (!CGImageReadPNG(a, one) || !CGImageReadPNG(b, two) || one.width != two.width) return -1;
  int changed = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const size_t at = (size_t(y) * one.width + size_t(x)) * 4;
      changed += std::abs(int(one.rgba[at]) - int(two.rgba[at])) > 8;
    }
  return double(changed) / (w * h);
}

// B switches the comparison on and off while the panel lies over the player: the read-out shows
// over the panel, and the summary says how long each side was heard.
TEST_F(RealWindowTest, TheBKeyComparesOverThePanel) {
  writeFloatWav(temp_.file("one.wav"), testSignal(44100, 2, 30.0));
  auto marker = [&](int n) { return temp_.file("marker" + std::to_string(n) + ".png"); };
  std::ofstream(temp_.file("b.script")) << "0.3 tap eq-button\n1.0 screenshot " << marker(1) << "\n3.0 screenshot "
                                        << marker(2) << "\n";
  const pid_t player = startPlayer({"--device-root", temp_.file("device"), temp_.file("one.wav"),
                                    "--script", temp_.file("b.script")},
                                   temp_.file("sound.raw"), temp_.file("player.log"));
  ASSERT_NE(player, 0);
  const std::string window = xdotool("search --sync --onlyvisible --class tunely");
  ASSERT_FALSE(window.empty()) << fileContents(temp_.file("player.log"));
  ASSERT_TRUE(waitFile(marker(1))) << fileContents(temp_.file("player.log"));
  xdotool("key --window " + window + " b");
  ASSERT_TRUE(waitFile(marker(2))) << fileContents(temp_.file("player.log"));
  xdotool("key --window " + window + " b");
  std::this_thread::sleep_for(500ms);
  xdotool("key --window " + window + " ctrl+q");
  const int status = waitFor(player, std::chrono::seconds(30));
  const std::string log = fileContents(temp_.file("player.log"));
  EXPECT_EQ(status, 0) << log;
  EXPECT_TRUE(showsThePanel(marker(2)));
  // The read-out's strip, 250 x 18 points centred 53 points above the bottom, over the panel.
  EXPECT_GT(shareChanged(marker(1), marker(2), 40, 568 - 52, 240, 14), 0.5);
  std::smatch heard;
  ASSERT_TRUE(std::regex_search(log, heard, std::regex("Compared: Tunely heard for ([0-9.]+) s, Bypass for ([0-9.]+) s")))
      << log;
  EXPECT_GT(std::stod(heard[1]), 1.0);
  EXPECT_GT(std::stod(heard[2]), 1.0);
}

}  // namespace
