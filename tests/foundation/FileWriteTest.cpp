#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "foundation/NSFileManager.h"
#include "foundation/TempDeviceRoot.h"

namespace {

class FileWrites : public TempDeviceRoot {
 protected:
  void SetUp() override {
    TempDeviceRoot::SetUp();
    writeHostFile(kPath, "old contents");
  }
  static Ref<NSData> data(const std::string& s) { return NSData::dataWithBytes(s.data(), s.size()); }
  static constexpr const char* kPath = "/var/mobile/f.plist";
};

TEST_F(FileWrites, AtomicWriteReplacesTheFileAndLeavesNothingBehind) {
  EXPECT_TRUE(data("new contents")->writeToFile(kPath, true));
  EXPECT_EQ(readHostFile(kPath), "new contents");
  EXPECT_EQ(listFolder("/var/mobile"), std::vector<std::string>{"f.plist"});
  EXPECT_TRUE(data("in place")->writeToFile(kPath, false));
  EXPECT_EQ(readHostFile(kPath), "in place");
}

// Each step of an atomic write made to fail: the write says which and why, the old file stays
// whole, no temporary file is left, and the next write works again.
TEST_F(FileWrites, AFailedAtomicWriteKeepsTheOldFileWhole) {
  struct Case { FileStep step; int error; const char* says; };
  for (auto c : {Case{FileStep::CreateTemporary, EMFILE, "create a temporary"},
                 Case{FileStep::WriteTemporary, ENOSPC, "write the temporary"},
                 Case{FileStep::Rename, EIO, "replace"}}) {
    FileLayerClearFaults();
    FileLayerInjectFault(c.step, c.error);
    Ref<NSString> error;
    EXPECT_FALSE(data(std::string(10000, 'n'))->writeToFile(kPath, NSDataWritingAtomic, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->string(), std::string(kPath) + ": could not " + c.says +
                                   (c.step == FileStep::Rename ? " the file: " : " file: ") +
                                   std::strerror(c.error));
    EXPECT_EQ(readHostFile(kPath), "old contents");
    EXPECT_EQ(listFolder("/var/mobile"), std::vector<std::string>{"f.plist"});
  }
  FileLayerClearFaults();
  EXPECT_TRUE(data("after")->writeToFile(kPath, true));
}

TEST_F(FileWrites, WritingIntoAMissingFolderOrOverAFolderFails) {
  Ref<NSString> error;
  EXPECT_FALSE(data("x")->writeToFile("/no/such/f.plist", NSDataWritingAtomic, &error));
  EXPECT_NE(error->string().find(std::strerror(ENOENT)), std::string::npos);
  std::filesystem::create_directories(host("/var/mobile/dir.plist/inside"));
  EXPECT_FALSE(data("x")->writeToFile("/var/mobile/dir.plist", true));
  EXPECT_TRUE(std::filesystem::is_directory(host("/var/mobile/dir.plist/inside")));
}

TEST_F(FileWrites, FileManagerMakesFoldersWithTheirParents) {
  NSFileManager* files = NSFileManager::defaultManager();
  EXPECT_FALSE(files->createDirectoryAtPath("/a/b/c", false, nullptr, nullptr));
  EXPECT_TRUE(files->createDirectoryAtPath("/a/b/c", true, nullptr, nullptr));
  EXPECT_TRUE(files->createDirectoryAtPath("/a/b/c", true, nullptr, nullptr));  // already there
  EXPECT_TRUE(files->fileExistsAtPath("/a/b/c"));
  EXPECT_FALSE(files->createDirectoryAtPath(std::string(kPath) + "/sub", true, nullptr, nullptr));
}

}  // namespace
