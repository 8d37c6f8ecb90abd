// Laying out a device root: folders, the installed library and resources, each installed file
// made a copy of this build's whenever its bytes differ, by a rename that readers never see half
// done.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CommandHarness.h"
#include "host/install/DeviceRootLayout.h"
#include "host/loader/SubstrateLoader.h"

namespace {

namespace fs = std::filesystem;

class DeviceRootLayoutTest : public ::testing::Test {
 protected:
  DeviceRootLayoutTest() {
    tunely_test::writeFileMakingFolders(library(), "library v1");
    tunely_test::writeFileMakingFolders(temp.file("built/resources/Tunely.png"), "png");
    tunely_test::writeFileMakingFolders(temp.file("built/resources/sub/eqView.layout"), "layout");
  }
  std::string library() const { return temp.file("built/Lowtide.dylib"); }
  std::string root() const { return temp.file("root"); }
  std::string installed() const { return host::installedLibraryPath(root()); }
  bool layOut(const std::string& builtLibrary) {
    std::string error;
    std::vector<std::string> notices;
    const bool ok = host::layOutDeviceRoot(root(), {builtLibrary, temp.file("built/resources")},
                                           error, notices);
    EXPECT_TRUE(ok) << error;
    EXPECT_TRUE(notices.empty()) << notices.front();
    return ok;
  }
  bool layOut() { return layOut(library()); }
  tunely_test::TempFolder temp;
};

TEST_F(DeviceRootLayoutTest, InstallsTheLibraryTheResourcesAndTheDataFolder) {
  ASSERT_TRUE(layOut());
  EXPECT_EQ(tunely_test::fileContents(installed()), "library v1");
  EXPECT_EQ(installed(), root() + "/Library/MobileSubstrate/DynamicLibraries/Lowtide.dylib");
  EXPECT_EQ(tunely_test::fileContents(root() + "/Library/Application Support/Tunely/Tunely.png"), "png");
  EXPECT_EQ(tunely_test::fileContents(root() + "/Library/Application Support/Tunely/sub/eqView.layout"), "layout");
  EXPECT_TRUE(fs::is_directory(root() + "/var/mobile/Library/Application Support/Tunely"));
}

// Two builds (a release and a sanitizer one, say) sharing a device root each run their own
// library, however the files' dates fall.
TEST_F(DeviceRootLayoutTest, EachBuildInstallsItsOwnLibraryWhateverTheDates) {
  const std::string other = temp.file("other-build/Lowtide.dylib");
  tunely_test::writeFileMakingFolders(other, "library of another build");
  fs::last_write_time(other, fs::last_write_time(library()) - std::chrono::hours(1));

  ASSERT_TRUE(layOut());
  std::ifstream openedByARunningPlayer(installed(), std::ios::binary);
  ASSERT_TRUE(layOut(other));
  EXPECT_EQ(tunely_test::fileContents(installed()), "library of another build");
  ASSERT_TRUE(layOut());
  EXPECT_EQ(tunely_test::fileContents(installed()), "library v1");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(openedByARunningPlayer), {}), "library v1")
      << "a player that has the old file keeps it whole";
}

TEST_F(DeviceRootLayoutTest, ADamagedCopyIsReplacedEvenWhenNewer) {
  const std::string damaged[] = {"library v2", "libr", "", "library v1 and more"};
  ASSERT_TRUE(layOut());
  for (const std::string& copy : damaged) {
    SCOPED_TRACE("installed copy: \"" + copy + "\"");
    tunely_test::writeFileMakingFolders(installed(), copy);
    fs::last_write_time(installed(), fs::last_write_time(library()) + std::chrono::hours(1));
    tunely_test::writeFileMakingFolders(root() + "/Library/Application Support/Tunely/Tunely.png", copy);
    ASSERT_TRUE(layOut());
    EXPECT_EQ(tunely_test::fileContents(installed()), "library v1");
    EXPECT_EQ(tunely_test::fileContents(root() + "/Library/Application Support/Tunely/Tunely.png"), "png");
  }
}

TEST_F(DeviceRootLayoutTest, ACopyThatIsThisBuildsIsNotWrittenAgain) {
  fs::permissions(library(), fs::perms(0755));
  ASSERT_TRUE(layOut());
  struct stat before {};
  ASSERT_EQ(stat(installed().c_str(), &before), 0);
  EXPECT_EQ(before.st_mode & 0777, 0755u) << "the copy keeps the built file's permissions";
  ASSERT_TRUE(layOut());
  struct stat after {};
  ASSERT_EQ(stat(installed().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

// Players starting at the same moment on one device root, from two builds: every player's
// layout succeeds, a reader never finds a part of a library, and no temporary file is left.
TEST_F(DeviceRootLayoutTest, PlayersLayingOutOneRootAtOnceNeverExposeAPartialLibrary) {
  const std::string builds[] = {temp.file("a/Lowtide.dylib"), temp.file("b/Lowtide.dylib")};
  const std::string bytes[] = {std::string(512 * 1024, 'a'), std::string(384 * 1024, 'b')};
  tunely_test::writeFileMakingFolders(builds[0], bytes[0]);
  tunely_test::writeFileMakingFolders(builds[1], bytes[1]);
  ASSERT_TRUE(layOut(builds[0]));

  std::atomic<int> playersDone{0}, failures{0}, partialReads{0};
  std::vector<std::thread> players;
  for (int p = 0; p < 2; ++p)
    players.emplace_back([&, p] {
      for (int round = 0; round < 40; ++round) {
        std::string error;
        std::vector<std::string> notices;
        if (!host::layOutDeviceRoot(root(), {builds[(p + round) % 2], ""}, error, notices) ||
            !notices.empty())
          ++failures;
      }
      ++playersDone;
    });
  while (playersDone < 2) {
    const std::string seen = tunely_test::fileContents(installed());
    if (seen != bytes[0] && seen != bytes[1]) ++partialReads;
  }
  for (std::thread& t : players) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(partialReads, 0);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(host::dynamicLibrariesFolder(root())))
    left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"Lowtide.dylib"});
}

TEST_F(DeviceRootLayoutTest, AMissingBuiltLibraryIsAnError) {
  fs::remove(library());
  std::string error;
  EXPECT_FALSE(host::layOutDeviceRoot(root(), {library(), ""}, error));
  EXPECT_NE(error.find(library()), std::string::npos) << error;
  EXPECT_TRUE(host::layOutDeviceRoot(root(), {"", ""}, error)) << error;
}

// A resource of the root replaced by a folder is named as damaged; a disk with no room left is
// called full, whatever error the copy itself met.
TEST_F(DeviceRootLayoutTest, ADamagedResourceAndAFullDiskAreCalledWhatTheyAre) {
  ASSERT_TRUE(layOut());
  const std::string image = root() + "/Library/Application Support/Tunely/Tunely.png";
  fs::remove(image);
  fs::create_directories(image + "/inside");
  tunely_test::writeFileMakingFolders(temp.file("built/resources/Tunely.png"), "png v2");
  std::string error;
  std::vector<std::string> notices;
  EXPECT_FALSE(host::layOutDeviceRoot(root(), {library(), temp.file("built/resources")}, error, notices));
  EXPECT_NE(error.find("the device root's \"" + image + "\" is damaged: it is a folder"), std::string::npos) << error;

  // A small file system of its own, filled up.
  const std::string full = temp.file("full");
  fs::create_directories(full);
  if (::system(("mount -t tmpfs -o size=64k tmpfs '" + full + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  tunely_test::writeFileMakingFolders(full + "/filler", std::string(60 * 1024, 'x'));
  tunely_test::writeFileMakingFolders(temp.file("big/Lowtide.dylib"), std::string(256 * 1024, 'l'));
  error.clear();
  const bool laidOut = host::layOutDeviceRoot(full + "/root", {temp.file("big/Lowtide.dylib"), ""}, error, notices);
  const int unmounted = ::system(("umount '" + full + "'").c_str());
  EXPECT_EQ(unmounted, 0);
  EXPECT_FALSE(laidOut);
  EXPECT_NE(error.find("the disk is full"), std::string::npos) << error;
}

}  // namespace
