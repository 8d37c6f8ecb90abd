// Music from folders, playlists and the window: what a path stands for in the queue, what is
// reported, and a queue that grows while it plays.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

#include "CommandHarness.h"
#include "foundation/NSTimer.h"
#include "host/cli/QueueBuilding.h"
#include "host/cli/QueueExpansion.h"
#include "host/media/MediaClock.h"
#include "host/media/OfflineRenderer.h"
#include "host/media/WavFileSink.h"
#include "host/player/PlayerClasses.h"
#include "host/player/SessionFrontEnd.h"

namespace {

namespace fs = std::filesystem;
using namespace tunely_test;

class QueueExpansionTest : public ::testing::Test {
 protected:
  std::string wav(const std::string& name, double seconds = 0.2, unsigned seed = 1) {
    audio[name] = testSignal(44100, 2, seconds, seed);
    writeFileMakingFolders(temp.file(name), "");
    writeFloatWav(temp.file(name), audio[name]);
    return temp.file(name);
  }
  // The paths relative to the temporary folder.
  std::vector<std::string> relative(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const std::string& p : paths) out.push_back(fs::path(p).lexically_relative(temp.path()).string());
    return out;
  }
  TempFolder temp;
  std::map<std::string, host::DecodedAudio> audio;
};

TEST_F(QueueExpansionTest, AFolderGivesItsAudioFilesRecursivelyInNameOrderAndTheProbeReportsTheBrokenOne) {
  wav("Album/CD2/01 Intro.wav");
  wav("Album/CD1/02 Song.wav");
  wav("Album/CD1/01 Song.wav");
  wav("Album/CD1 Bonus/01.wav");
  writeFileMakingFolders(temp.file("Album/cover.jpg"), "not audio");
  writeFileMakingFolders(temp.file("Album/notes.txt"), "not audio");
  writeFileMakingFolders(temp.file("Album/CD1/03 Broken.FLAC"), "not flac either");
  fs::create_directory_symlink(temp.file("Album"), temp.file("Album/CD2/loop"));  // not followed
  fs::create_directories(temp.file("Empty/Sub"));
  bool anyFailed = false;
  testing::internal::CaptureStderr();
  const std::vector<std::string> paths = host::expandQueuePaths({temp.file("Album"), temp.file("Empty")}, anyFailed);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(relative(paths), (std::vector<std::string>{"Album/CD1/01 Song.wav", "Album/CD1/02 Song.wav",
                                                       "Album/CD1/03 Broken.FLAC", "Album/CD1 Bonus/01.wav",
                                                       "Album/CD2/01 Intro.wav"}));
  EXPECT_TRUE(anyFailed);
  EXPECT_NE(said.find("\"" + temp.file("Empty") + "\": the folder holds no audio files"), std::string::npos) << said;
  anyFailed = false;
  testing::internal::CaptureStderr();
  const std::vector<host::QueuedFile> queue = host::probeQueue(paths, false, anyFailed);
  said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(queue.size(), 4u);
  EXPECT_TRUE(anyFailed);
  EXPECT_NE(said.find("cannot play \"" + temp.file("Album/CD1/03 Broken.FLAC") + "\""), std::string::npos) << said;
}

TEST_F(QueueExpansionTest, PlaylistsResolveAgainstTheirFolderAndReportMissingEntries) {
  wav("music/a.wav");
  wav("music/b c.wav");
  wav("music/sub/d.wav");
  wav("elsewhere/e.wav");
  writeFileMakingFolders(temp.file("music/list.m3u8"),
                         "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:12,Artist - A\r\na.wav\r\n\r\nmissing.wav\r\n"
                         "file://" + temp.file("music/b%20c.wav") + "\r\nhttp://radio.example/stream\r\n"
                         "sub\r\n../elsewhere/e.wav\r\n" + temp.file("music/a.wav") + "\r\nnested.pls\r\n");
  writeFileMakingFolders(temp.file("music/nested.pls"),
                         "[playlist]\nNumberOfEntries=2\nFile2=sub/d.wav\nTitle2=D\nFile1=a.wav\nVersion=2\n");
  writeFileMakingFolders(temp.file("music/loop.m3u"), "loop.m3u\n");
  bool anyFailed = false;
  testing::internal::CaptureStderr();
  const std::vector<std::string> paths =
      host::expandQueuePaths({temp.file("music/list.m3u8"), temp.file("music/loop.m3u")}, anyFailed);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(relative(paths), (std::vector<std::string>{"music/a.wav", "music/b c.wav", "music/sub/d.wav",
                                                       "elsewhere/e.wav", "music/a.wav", "music/a.wav", "music/sub/d.wav"}));
  EXPECT_TRUE(anyFailed);
  EXPECT_NE(said.find("cannot play \"" + temp.file("music/missing.wav") + "\": no such file (listed in \"" +
                      temp.file("music/list.m3u8") + "\")"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("\"http://radio.example/stream\": not a file on this machine"), std::string::npos) << said;
  EXPECT_NE(said.find("playlists nest too deep"), std::string::npos) << said;  // a playlist naming itself ends
}

// The command line takes a folder and a playlist; the queue goes on past the missing entry.
TEST_F(QueueExpansionTest, PlayTakesAFolderAndAPlaylist) {
  wav("Album/2.wav", 0.2, 2);
  wav("Album/1.wav", 0.2, 1);
  writeFileMakingFolders(temp.file("list.m3u"), "Album/2.wav\ngone.wav\n");
  const CommandResult result = runTunely({"play", "--device-root", temp.file("device"), temp.file("Album"),
                                          temp.file("list.m3u"), "--output", temp.file("out.wav")},
                                         temp.path());
  EXPECT_EQ(result.status, 1) << result.output;
  EXPECT_NE(result.output.find("Playing 3 tracks"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("gone.wav\": no such file (listed in"), std::string::npos) << result.output;
  const host::DecodedAudio out = readWav(temp.file("out.wav"));
  std::vector<float> expected = audio["Album/1.wav"].samples;
  for (const char* name : {"Album/2.wav", "Album/2.wav"})
    expected.insert(expected.end(), audio[name].samples.begin(), audio[name].samples.end());
  EXPECT_TRUE(out.samples == expected);
}

// Tracks that join the queue while it plays are played after it, with no gap, and the screen
// counts them.
TEST_F(QueueExpansionTest, ATrackAddedWhilePlayingFollowsOnAndTheScreenCountsIt) {
  host::registerPlayerClasses();
  host::PlayerSession session;
  session.setUpControls();
  host::SessionFrontEnd frontEnd(session);
  std::vector<host::QueuedFile> queue{{wav("a.wav", 1.0, 3), *host::probeAudioFile(temp.file("a.wav")).value}};
  wav("b.wav", 0.5, 4);
  bool anyFailed = false;
  size_t countShown = 0;
  host::MediaClock clock;  // the run loop's time is media time from here on
  std::vector<Ref<NSTimer>> timers;
  timers.push_back(NSTimer::scheduledTimerWithTimeInterval(0.5, false, [&](NSTimer*) {
    EXPECT_EQ(host::addToQueue(temp.file("b.wav"), false, queue, anyFailed), 1u);
  }));
  timers.push_back(NSTimer::scheduledTimerWithTimeInterval(1.2, false, [&](NSTimer*) {
    countShown = session.transport().count;
  }));
  host::WavFileSink sink;
  std::string error;
  ASSERT_TRUE(sink.open(temp.file("out.wav"), 44100, 2, error)) << error;
  const host::PlayOutcome outcome =
      host::renderOffline(session, queue, {host::SampleLayout::Automatic, 4096}, clock, sink, false, frontEnd);
  for (const Ref<NSTimer>& t : timers) t->invalidate();
  ASSERT_TRUE(sink.close(error)) << error;
  EXPECT_FALSE(anyFailed);
  EXPECT_EQ(outcome.reports.size(), 2u);
  EXPECT_EQ(countShown, 2u);
  std::vector<float> expected = audio["a.wav"].samples;
  expected.insert(expected.end(), audio["b.wav"].samples.begin(), audio["b.wav"].samples.end());
  EXPECT_TRUE(readWav(temp.file("out.wav")).samples == expected);
}

// A file dropped on the window reaches the player by its path.
TEST_F(QueueExpansionTest, AFileDroppedOnTheWindowIsHandedOnByItsPath) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  const char* display = getenv("DISPLAY");
  const std::string saved = display ? display : "";
  setenv("DISPLAY", ":offscreen", 1);
  host::registerPlayerClasses();
  host::PlayerSession session;
  std::string error;
  std::unique_ptr<host::PlayerWindow> window =
      host::PlayerWindow::open(static_cast<UIWindow*>(session.window()), 1, "Tunely", error);
  unsetenv("SDL_VIDEODRIVER");
  if (display) setenv("DISPLAY", saved.c_str(), 1); else unsetenv("DISPLAY");
  if (!window) GTEST_SKIP() << "SDL's offscreen video driver is not available: " << error;
  std::vector<std::string> dropped;
  window->onDrop = [&](const std::string& path) { dropped.push_back(path); };
  for (const char* path : {"/music/Album", "/music/list.m3u"}) {
    SDL_Event event{};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path);
    SDL_PushEvent(&event);
  }
  window->pump(0.1);
  EXPECT_EQ(dropped, (std::vector<std::string>{"/music/Album", "/music/list.m3u"}));
}

}  // namespace
