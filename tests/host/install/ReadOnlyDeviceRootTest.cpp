// A device root that cannot be written: the player goes on with what is installed there when it
// can stand in for this build's files, and refuses, naming the folder, when it cannot.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CommandHarness.h"
#include "ReadOnlyView.h"
#include "host/install/DeviceRootLayout.h"
#include "host/loader/SubstrateLoader.h"

namespace {

namespace fs = std::filesystem;
using tunely_test::ReadOnlyRun;
using tunely_test::runWithReadOnlyFolder;

struct LayoutOutcome {
  bool laidOut = false;
  std::string error;
  std::vector<std::string> notices;
};

// The child hands its outcome back as lines: laid out or not, the error, then the notices.
std::string describe(const LayoutOutcome& o) {
  std::string text = std::string(o.laidOut ? "1" : "0") + "\n" + o.error + "\n";
  for (const std::string& notice : o.notices) text += notice + "\n";
  return text;
}
LayoutOutcome parse(const std::string& text) {
  LayoutOutcome o;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  o.laidOut = line == "1";
  std::getline(in, o.error);
  while (std::getline(in, line)) o.notices.push_back(line);
  return o;
}

class ReadOnlyDeviceRootTest : public ::testing::Test {
 protected:
  ReadOnlyDeviceRootTest() {
    tunely_test::writeFileMakingFolders(temp.file("build/Lowtide.dylib"), "library v2");
    tunely_test::writeFileMakingFolders(temp.file("build/resources/eqView"), "layout v2");
    fs::create_directories(root());
  }
  std::string root() const { return temp.file("root"); }
  host::InstallSources build() const {
    return {temp.file("build/Lowtide.dylib"), temp.file("build/resources")};
  }
  // What an earlier build left installed, laid out while the root could still be written.
  void installEarlierBuild(const std::string& library, const std::string& layout) {
    tunely_test::writeFileMakingFolders(temp.file("earlier/Lowtide.dylib"), library);
    tunely_test::writeFileMakingFolders(temp.file("earlier/resources/eqView"), layout);
    std::string error;
    ASSERT_TRUE(host::layOutDeviceRoot(
        root(), {temp.file("earlier/Lowtide.dylib"), temp.file("earlier/resources")}, error))
        << error;
    installedAnHourBeforeThisBuild(host::installedLibraryPath(root()));
    installedAnHourBeforeThisBuild(host::resourcesFolderPath(root()) + "/eqView");
  }
  void installedAnHourBeforeThisBuild(const std::string& installed) {
    std::error_code missing;
    fs::last_write_time(installed,
                        fs::last_write_time(build().lowtideLibrary) - std::chrono::hours(1), missing);
  }
  // Lays this build out into the root made read-only.
  ReadOnlyRun layOutReadOnly() {
    return runWithReadOnlyFolder(root(), [this] {
      LayoutOutcome o;
      o.laidOut = host::layOutDeviceRoot(root(), build(), o.error, o.notices);
      return describe(o);
    });
  }
  tunely_test::TempFolder temp;
};

TEST_F(ReadOnlyDeviceRootTest, UsesWhatAnotherBuildInstalledAndNamesEachFileThatIsNotThisBuilds) {
  installEarlierBuild("library v2", "layout v2");
  ReadOnlyRun run = layOutReadOnly();
  if (run.unavailable) GTEST_SKIP() << "no read-only view here: " << run.result;
  ASSERT_FALSE(run.died) << run.result;
  LayoutOutcome same = parse(run.result);
  EXPECT_TRUE(same.laidOut) << same.error;
  EXPECT_TRUE(same.notices.empty()) << "this build's files need no writing";

  installEarlierBuild("library v1", "layout v1");
  run = layOutReadOnly();
  ASSERT_FALSE(run.died) << run.result;
  const LayoutOutcome older = parse(run.result);
  EXPECT_TRUE(older.laidOut) << older.error;
  ASSERT_EQ(older.notices.size(), 2u) << run.result;
  EXPECT_NE(older.notices[0].find(host::installedLibraryPath(root())), std::string::npos);
  EXPECT_NE(older.notices[0].find("Read-only file system"), std::string::npos) << older.notices[0];
  EXPECT_NE(older.notices[1].find(host::resourcesFolderPath(root()) + "/eqView"), std::string::npos);
  EXPECT_EQ(tunely_test::fileContents(host::installedLibraryPath(root())), "library v1");
  EXPECT_EQ(std::distance(fs::directory_iterator(host::dynamicLibrariesFolder(root())), {}), 1)
      << "no temporary file is left behind";
}

TEST_F(ReadOnlyDeviceRootTest, RefusesNamingTheFolderWhenSomethingCannotBeInstalled) {
  struct Case {
    const char* what;
    std::function<void()> leaveInstalled;
    std::string folderNamed;
  };
  const std::vector<Case> cases = {
      {"an empty root", [] {}, host::dynamicLibrariesFolder(root())},
      {"no library",
       [this] {
         std::string error;
         ASSERT_TRUE(host::layOutDeviceRoot(root(), {"", build().resourcesFolder}, error)) << error;
       },
       host::dynamicLibrariesFolder(root())},
      {"no layout",
       [this] {
         installEarlierBuild("library v2", "layout v2");
         fs::remove(host::resourcesFolderPath(root()) + "/eqView");
       },
       host::resourcesFolderPath(root())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(root());
    fs::create_directories(root());
    c.leaveInstalled();
    const ReadOnlyRun run = layOutReadOnly();
    if (run.unavailable) GTEST_SKIP() << "no read-only view here: " << run.result;
    ASSERT_FALSE(run.died) << run.result;
    const LayoutOutcome o = parse(run.result);
    EXPECT_FALSE(o.laidOut);
    EXPECT_NE(o.error.find("\"" + c.folderNamed + "\""), std::string::npos) << o.error;
    EXPECT_NE(o.error.find("Read-only file system"), std::string::npos) << o.error;
  }
}

// An installed file that is empty (a 0-byte button image or library) on a read-only root is
// named as damaged, not left for the listener to guess from "cannot be written".
TEST_F(ReadOnlyDeviceRootTest, AnEmptyInstalledFileIsNamedAsDamaged) {
  for (const bool emptyLibrary : {true, false}) {
    fs::remove_all(root());
    fs::create_directories(root());
    installEarlierBuild(emptyLibrary ? "" : "library v2", emptyLibrary ? "layout v2" : "");
    const ReadOnlyRun run = layOutReadOnly();
    if (run.unavailable) GTEST_SKIP() << "no read-only view here: " << run.result;
    ASSERT_FALSE(run.died) << run.result;
    const LayoutOutcome o = parse(run.result);
    EXPECT_FALSE(o.laidOut);
    const std::string damaged =
        emptyLibrary ? host::installedLibraryPath(root()) : host::resourcesFolderPath(root()) + "/eqView";
    EXPECT_NE(o.error.find("the device root's \"" + damaged + "\" is damaged (empty or unreadable)"), std::string::npos)
        << o.error;
    EXPECT_NE(o.error.find("Read-only file system"), std::string::npos) << o.error;
  }
}

// The player itself, on a read-only device root that holds another build's library: it says so,
// loads that library and plays.
TEST_F(ReadOnlyDeviceRootTest, ThePlayerPlaysWithTheInstalledLibrary) {
  const std::string earlier = temp.file("earlier/Lowtide.dylib");
  fs::create_directories(temp.file("earlier"));
  fs::copy_file(TUNELY_LOWTIDE_PATH, earlier);
  std::ofstream(earlier, std::ios::binary | std::ios::app) << "an earlier build";
  std::string error;
  ASSERT_TRUE(host::layOutDeviceRoot(root(), {earlier, TUNELY_RESOURCES_DIR}, error)) << error;
  fs::last_write_time(host::installedLibraryPath(root()),
                      fs::last_write_time(TUNELY_LOWTIDE_PATH) - std::chrono::hours(1));
  const std::string track = temp.file("track.wav");
  tunely_test::writeFloatWav(track, tunely_test::testSignal(44100, 2, 0.5));

  const ReadOnlyRun run = runWithReadOnlyFolder(root(), [&] {
    const tunely_test::CommandResult r = tunely_test::runTunely(
        {"play", track, "--output", temp.file("out.wav"), "--device-root", root()}, temp.path());
    return std::to_string(r.status) + "\n" + r.output;
  });
  if (run.unavailable) GTEST_SKIP() << "no read-only view here: " << run.result;
  ASSERT_FALSE(run.died) << run.result;
  EXPECT_EQ(run.result.substr(0, 2), "0\n") << run.result;
  EXPECT_NE(run.result.find("\"" + host::installedLibraryPath(root()) +
                            "\" is not this build's and cannot be replaced"),
            std::string::npos)
      << run.result;
  EXPECT_NE(run.result.find("Loaded Lowtide.dylib"), std::string::npos) << run.result;
  EXPECT_EQ(tunely_test::readWav(temp.file("out.wav")).frames, 22050);
}

}  // namespace
