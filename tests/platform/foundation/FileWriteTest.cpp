#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "foundation/NSFileManager.h"
#include "foundation/NSNumber.h"
#include "TempDeviceRoot.h"

namespace {

namespace fs = std::filesystem;

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

// A link is the user's: the file it leads to is written, and the link stays as it was.
TEST_F(FileWrites, AnAtomicWriteThroughALinkReplacesItsTargetAndKeepsTheLink) {
  const std::string target = "/var/mobile/store/real.plist";
  writeHostFile(target, "old target");
  ::chmod(host(target).c_str(), 0600);
  fs::remove(host(kPath));
  fs::create_symlink("store/hop", host(kPath));  // relative, through a second link
  fs::create_symlink("real.plist", host("/var/mobile/store/hop"));
  EXPECT_TRUE(data("new")->writeToFile(kPath, true));
  EXPECT_EQ(fs::read_symlink(host(kPath)), "store/hop");
  EXPECT_EQ(fs::read_symlink(host("/var/mobile/store/hop")), "real.plist");
  EXPECT_EQ(readHostFile(target), "new");
  EXPECT_EQ(fs::status(host(target)).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(listFolder("/var/mobile/store"), (std::vector<std::string>{"hop", "real.plist"}));
  EXPECT_EQ(listFolder("/var/mobile"), (std::vector<std::string>{"f.plist", "store"}));

  fs::remove(host(target));  // a link to nothing yet is written like a missing file
  EXPECT_TRUE(data("created")->writeToFile(kPath, true));
  EXPECT_EQ(readHostFile(target), "created");
  EXPECT_TRUE(fs::is_symlink(host(kPath)));
}

TEST_F(FileWrites, AnAtomicWriteReplacesNothingButARegularFile) {
  fs::remove(host(kPath));
  ASSERT_EQ(::mkfifo(host(kPath).c_str(), 0644), 0);
  Ref<NSString> error;
  EXPECT_FALSE(data("x")->writeToFile(kPath, NSDataWritingAtomic, &error));
  EXPECT_EQ(error->string(), std::string(kPath) + ": could not replace the file: not a regular file");
  EXPECT_TRUE(fs::is_fifo(host(kPath)));

  fs::create_symlink("f.plist", host("/var/mobile/to-fifo.plist"));
  EXPECT_FALSE(data("x")->writeToFile("/var/mobile/to-fifo.plist", true));
  EXPECT_TRUE(fs::is_symlink(host("/var/mobile/to-fifo.plist")));
  EXPECT_TRUE(fs::is_fifo(host(kPath)));

  fs::create_symlink("loop.plist", host("/var/mobile/loop.plist"));
  EXPECT_FALSE(data("x")->writeToFile("/var/mobile/loop.plist", NSDataWritingAtomic, &error));
  EXPECT_NE(error->string().find("Too many levels of symbolic links"), std::string::npos) << error->string();
  EXPECT_EQ(fs::read_symlink(host("/var/mobile/loop.plist")), "loop.plist");
  EXPECT_EQ(listFolder("/var/mobile"), (std::vector<std::string>{"f.plist", "loop.plist", "to-fifo.plist"}));
}

TEST_F(FileWrites, FileManagerDescribesALinkItselfNotWhereItLeads) {
  NSFileManager* files = NSFileManager::defaultManager();
  auto type = [&](const std::string& path) {
    Ref<NSDictionary> attributes = files->attributesOfItemAtPath(path, nullptr);
    auto t = attributes ? dynamic_cast<NSString*>(attributes->objectForKey(NSFileType)) : nullptr;
    return t ? t->string() : "none";
  };
  Ref<NSDictionary> attributes = files->attributesOfItemAtPath(kPath, nullptr);
  ASSERT_TRUE(attributes);
  EXPECT_EQ(type(kPath), NSFileTypeRegular);
  EXPECT_EQ(dynamic_cast<NSNumber*>(attributes->objectForKey(NSFileSize))->longLongValue(), 12);
  fs::create_symlink("missing", host("/var/mobile/dangling"));
  EXPECT_FALSE(files->fileExistsAtPath("/var/mobile/dangling"));  // the link is followed here
  EXPECT_EQ(type("/var/mobile/dangling"), NSFileTypeSymbolicLink);
  EXPECT_EQ(type("/var/mobile"), NSFileTypeDirectory);
  Ref<NSString> error;
  EXPECT_FALSE(files->attributesOfItemAtPath("/var/mobile/missing", &error));
  EXPECT_NE(error->string().find("No such file or directory"), std::string::npos);
}

}  // namespace

namespace {

// What a writer killed before its rename left is removed by the next atomic write of that file:
// only regular files named as its temporaries are, only beside it, only those older than this
// process (a newer one may be another writer's, at work).
TEST_F(FileWrites, AnAtomicWriteRemovesOnlyTheStaleTemporariesOfItsOwnFile) {
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const auto fresh = fs::file_time_type::clock::now() + std::chrono::hours(1);
  const std::vector<std::pair<std::string, fs::file_time_type>> files = {
      {".f.plist.aB3xY9", old},   {".f.plist.Q1w2E3", old},    // ours, left by a killed writer
      {".f.plist.zZ9999", fresh},                                // ours, but newer than this process
      {".f.plist.tmp", old},      {".f.plist.aB3xY9x", old},   // not our pattern
      {"f.plist.aB3xY9", old},    {".g.plist.aB3xY9", old},    // not hidden, another file's
  };
  for (const auto& [name, time] : files) {
    writeHostFile("/var/mobile/" + name, "left");
    fs::last_write_time(host("/var/mobile/" + name), time);
  }
  fs::create_directories(host("/var/mobile/.f.plist.folder"));
  fs::last_write_time(host("/var/mobile/.f.plist.folder"), old);
  EXPECT_TRUE(data("new")->writeToFile(kPath, true));
  EXPECT_EQ(listFolder("/var/mobile"),
            (std::vector<std::string>{".f.plist.aB3xY9x", ".f.plist.folder", ".f.plist.tmp", ".f.plist.zZ9999",
                                      ".g.plist.aB3xY9", "f.plist", "f.plist.aB3xY9"}));
}

}  // namespace
