#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "foundation/NSData.h"
#include "TempDeviceRoot.h"

namespace {

namespace fs = std::filesystem;

class FileReads : public TempDeviceRoot {
 protected:
  void SetUp() override {
    TempDeviceRoot::SetUp();
    writeHostFile(kTarget, "contents");
  }
  // The reason a read failed, or "" if it gave data.
  static std::string whyNotRead(const std::string& path) {
    Ref<NSString> error;
    Ref<NSData> data = NSData::dataWithContentsOfFile(path, &error);
    if (data) return "";
    return error ? error->string() : "no reason given";
  }
  static constexpr const char* kTarget = "/var/mobile/store/real.plist";
  static constexpr const char* kPath = "/var/mobile/f.plist";
};

TEST_F(FileReads, ALinkToARegularFileIsReadThrough) {
  fs::create_symlink("store/real.plist", host(kPath));  // relative to the link's folder
  Ref<NSData> data = NSData::dataWithContentsOfFile(kPath);
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->bytes()), data->length()), "contents");
}

// None of these may block, read without end, or give data: each is reported with its reason.
TEST_F(FileReads, OnlyRegularFilesAreReadAndNeverWaitedFor) {
  ASSERT_EQ(::mkfifo(host(kPath).c_str(), 0644), 0);  // no writer: a blocking open waits for ever
  EXPECT_EQ(whyNotRead(kPath), std::string(kPath) + ": could not read the file: not a regular file");
  fs::remove(host(kPath));

  fs::create_symlink("/dev/zero", host(kPath));  // endless
  EXPECT_EQ(whyNotRead(kPath), std::string(kPath) + ": could not read the file: not a regular file");
  fs::remove(host(kPath));

  fs::create_directory(host(kPath));
  EXPECT_NE(whyNotRead(kPath), "");
  fs::remove(host(kPath));

  fs::create_symlink("missing.plist", host(kPath));
  EXPECT_NE(whyNotRead(kPath).find("No such file or directory"), std::string::npos);
  fs::remove(host(kPath));

  fs::create_symlink("f.plist", host(kPath));  // itself
  EXPECT_NE(whyNotRead(kPath).find("Too many levels of symbolic links"), std::string::npos);
}

TEST_F(FileReads, AFileLargerThanTheReadLimitIsNotRead) {
  fs::resize_file(host(kTarget), kFileReadLimit);  // sparse: costs no disk
  Ref<NSData> whole = NSData::dataWithContentsOfFile(kTarget);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->length(), kFileReadLimit);
  whole = nullptr;
  fs::resize_file(host(kTarget), kFileReadLimit + 1);
  EXPECT_EQ(whyNotRead(kTarget), std::string(kTarget) + ": could not read the file: File too large (more than the 64 MiB a file may have)");
}

}  // namespace
