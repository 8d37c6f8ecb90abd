#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "foundation/FileLayer.h"
#include "foundation/NSData.h"
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
  Ref<NSString> error;
  EXPECT_TRUE(data("new contents")->writeToFile(kPath, NSDataWritingAtomic, &error));
  EXPECT_FALSE(error);
  EXPECT_EQ(readHostFile(kPath), "new contents");
  EXPECT_EQ(listFolder("/var/mobile"), std::vector<std::string>{"f.plist"});
  EXPECT_TRUE(data("in place")->writeToFile(kPath, false));
  EXPECT_EQ(readHostFile(kPath), "in place");
}

TEST_F(FileWrites, AReplacedFileKeepsItsPermissions) {
  ASSERT_EQ(::chmod(host(kPath).c_str(), 0640), 0);
  ASSERT_TRUE(data("x")->writeToFile(kPath, true));
  struct stat info;
  ASSERT_EQ(::stat(host(kPath).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  ASSERT_TRUE(data("y")->writeToFile("/var/mobile/new.plist", true));
  ASSERT_EQ(::stat(host("/var/mobile/new.plist").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// Each step of an atomic write, made to fail: the write reports why, the old file stays whole and
// no temporary file is left in the folder.
TEST_F(FileWrites, AFailedAtomicWriteKeepsTheOldFileWhole) {
  struct Case { FileStep step; int error; const char* says; };
  for (auto c : {Case{FileStep::CreateTemporary, EMFILE, "temporary"},
                 Case{FileStep::WriteTemporary, ENOSPC, "temporary"},
                 Case{FileStep::Rename, EIO, "replace"}}) {
    FileLayerClearFaults();
    FileLayerInjectFault(c.step, c.error);
    Ref<NSString> error;
    EXPECT_FALSE(data(std::string(10000, 'n'))->writeToFile(kPath, NSDataWritingAtomic, &error));
    ASSERT_TRUE(error);
    EXPECT_NE(error->string().find(c.says), std::string::npos) << error->string();
    EXPECT_NE(error->string().find(std::strerror(c.error)), std::string::npos) << error->string();
    EXPECT_EQ(readHostFile(kPath), "old contents");
    EXPECT_EQ(listFolder("/var/mobile"), std::vector<std::string>{"f.plist"});
  }
  FileLayerClearFaults();
  EXPECT_TRUE(data("after")->writeToFile(kPath, true));
}

TEST_F(FileWrites, WritingIntoAMissingFolderOrOverAFolderFails) {
  Ref<NSString> error;
  EXPECT_FALSE(data("x")->writeToFile("/no/such/folder/f.plist", NSDataWritingAtomic, &error));
  ASSERT_TRUE(error);
  EXPECT_NE(error->string().find(std::strerror(ENOENT)), std::string::npos);
  std::filesystem::create_directories(host("/var/mobile/dir.plist/inside"));
  EXPECT_FALSE(data("x")->writeToFile("/var/mobile/dir.plist", true));
  EXPECT_TRUE(std::filesystem::is_directory(host("/var/mobile/dir.plist/inside")));
}

TEST_F(FileWrites, FileManagerCreatesFilesAndFolders) {
  NSFileManager* files = NSFileManager::defaultManager();
  EXPECT_TRUE(files->fileExistsAtPath(kPath));
  EXPECT_TRUE(files->fileExistsAtPath("/var/mobile"));
  EXPECT_FALSE(files->fileExistsAtPath("/var/mobile/none"));

  EXPECT_TRUE(files->createFileAtPath("/var/mobile/empty", nullptr, nullptr));
  EXPECT_TRUE(files->fileExistsAtPath("/var/mobile/empty"));
  EXPECT_EQ(readHostFile("/var/mobile/empty"), "");
  EXPECT_TRUE(files->createFileAtPath(kPath, data("given"), nullptr));
  EXPECT_EQ(readHostFile(kPath), "given");
  EXPECT_FALSE(files->createFileAtPath("/missing/dir/file", nullptr, nullptr));

  Ref<NSString> error;
  EXPECT_FALSE(files->createDirectoryAtPath("/a/b/c", false, nullptr, &error));
  EXPECT_TRUE(error);
  EXPECT_TRUE(files->createDirectoryAtPath("/a/b/c", true, nullptr, nullptr));
  EXPECT_TRUE(std::filesystem::is_directory(host("/a/b/c")));
  EXPECT_TRUE(files->createDirectoryAtPath("/a/b/c", true, nullptr, nullptr));  // already there
  EXPECT_FALSE(files->createDirectoryAtPath(std::string(kPath) + "/sub", true, nullptr, nullptr));

  FileLayerInjectFault(FileStep::CreateDirectory, EROFS);
  error = nullptr;
  EXPECT_FALSE(files->createDirectoryAtPath("/d", true, nullptr, &error));
  ASSERT_TRUE(error);
  EXPECT_NE(error->string().find(std::strerror(EROFS)), std::string::npos);
  EXPECT_FALSE(files->fileExistsAtPath("/d"));
}

TEST_F(FileWrites, ReadingGivesTheWholeFileOrNil) {
  std::string big(200000, 'b');
  big[123456] = '\0';
  writeHostFile(kPath, big);
  auto read = NSData::dataWithContentsOfFile(kPath);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(read->bytes()), read->length()), big);
  EXPECT_FALSE(NSData::dataWithContentsOfFile("/var/mobile/none"));
  EXPECT_FALSE(NSData::dataWithContentsOfFile("/var/mobile"));
}

}  // namespace
