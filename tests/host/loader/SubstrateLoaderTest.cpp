// Loading the libraries of a device root: only regular ".dylib" files, in name order; a file that
// is no library is reported by its name (escaped, as it comes from the device root) and the others
// still load; a device root without the folder loads nothing and reports nothing.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CommandHarness.h"
#include "host/loader/SubstrateLoader.h"

namespace {

namespace fs = std::filesystem;

// The C library this process runs on: loading it again hands back the copy already loaded, so
// it stands for a library that loads without adding anything to the process.
std::string loadedCLibrary() {
  Dl_info info{};
  EXPECT_NE(dladdr(reinterpret_cast<void*>(&::getpid), &info), 0);
  return info.dli_fname != nullptr ? info.dli_fname : "";
}

TEST(SubstrateLoader, OnlyRegularDylibsLoadInNameOrderAndAFileThatIsNoLibraryIsNamed) {
  tunely_test::TempFolder temp;
  const std::string root = temp.file("device");
  const fs::path folder = host::dynamicLibrariesFolder(root);
  fs::create_directories(folder);
  fs::create_symlink(loadedCLibrary(), folder / "b.dylib");
  fs::create_symlink(loadedCLibrary(), folder / "a.dylib");
  std::ofstream(folder / "c.dylib") << "not a library";
  std::ofstream(folder / "\x1b.dylib") << "not a library either";
  std::ofstream(folder / "notes.txt") << "not loaded at all";
  fs::create_directory(folder / "d.dylib");  // a folder, whatever its name

  const host::LoadReport report = host::loadSubstrateLibraries(root);
  EXPECT_EQ(report.loaded, (std::vector<std::string>{"a.dylib", "b.dylib"}));
  ASSERT_EQ(report.errors.size(), 2u);
  EXPECT_EQ(report.errors[0].rfind("\\e.dylib: ", 0), 0u) << report.errors[0];
  EXPECT_EQ(report.errors[1].rfind("c.dylib: ", 0), 0u) << report.errors[1];
}

TEST(SubstrateLoader, ADeviceRootWithoutTheFolderLoadsNothingAndReportsNothing) {
  tunely_test::TempFolder temp;
  const host::LoadReport report = host::loadSubstrateLibraries(temp.file("empty-device"));
  EXPECT_TRUE(report.loaded.empty());
  EXPECT_TRUE(report.errors.empty());
}

}  // namespace
