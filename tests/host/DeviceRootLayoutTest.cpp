// Laying out a device root: folders, the installed library and resources, and refreshing them
// only when the built files are newer.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "CommandHarness.h"
#include "host/install/DeviceRootLayout.h"

namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

class DeviceRootLayoutTest : public ::testing::Test {
 protected:
  DeviceRootLayoutTest() {
    fs::create_directories(temp.file("built/resources/sub"));
    std::ofstream(library()) << "library v1";
    std::ofstream(temp.file("built/resources/Tunely.png")) << "png";
    std::ofstream(temp.file("built/resources/sub/eqView.layout")) << "layout";
  }
  std::string library() const { return temp.file("built/Lowtide.dylib"); }
  std::string root() const { return temp.file("root"); }
  bool layOut() {
    std::string error;
    const bool ok =
        host::layOutDeviceRoot(root(), {library(), temp.file("built/resources")}, error);
    EXPECT_TRUE(ok) << error;
    return ok;
  }
  tunely_test::TempFolder temp;
};

TEST_F(DeviceRootLayoutTest, InstallsTheLibraryTheResourcesAndTheDataFolder) {
  ASSERT_TRUE(layOut());
  EXPECT_EQ(contents(host::installedLibraryPath(root())), "library v1");
  EXPECT_EQ(host::installedLibraryPath(root()),
            root() + "/Library/MobileSubstrate/DynamicLibraries/Lowtide.dylib");
  EXPECT_EQ(contents(root() + "/Library/Application Support/Tunely/Tunely.png"), "png");
  EXPECT_EQ(contents(root() + "/Library/Application Support/Tunely/sub/eqView.layout"), "layout");
  EXPECT_TRUE(fs::is_directory(root() + "/var/mobile/Library/Application Support/Tunely"));
}

TEST_F(DeviceRootLayoutTest, RefreshesTheLibraryOnlyWhenTheBuiltOneIsNewer) {
  ASSERT_TRUE(layOut());
  const std::string installed = host::installedLibraryPath(root());
  std::ofstream(installed) << "edited on the device";
  ASSERT_TRUE(layOut());  // the installed copy is newer: kept
  EXPECT_EQ(contents(installed), "edited on the device");

  std::ofstream(library()) << "library v2";
  fs::last_write_time(library(), fs::last_write_time(installed) + std::chrono::seconds(5));
  ASSERT_TRUE(layOut());
  EXPECT_EQ(contents(installed), "library v2");
}

TEST_F(DeviceRootLayoutTest, AMissingBuiltLibraryIsAnError) {
  fs::remove(library());
  std::string error;
  EXPECT_FALSE(host::layOutDeviceRoot(root(), {library(), ""}, error));
  EXPECT_NE(error.find(library()), std::string::npos) << error;
  EXPECT_TRUE(host::layOutDeviceRoot(root(), {"", ""}, error)) << error;
}

}  // namespace
