// An immutable run of bytes, read from and written to files by device path.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/NSString.h"
#include "objc/NSObject.h"

enum NSDataWritingOptions : unsigned long {
  NSDataWritingAtomic = 1,  // write a temporary file, then rename it over the file
};

class NSData : public NSObject {
 public:
  explicit NSData(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  static Ref<NSData> dataWithBytes(const void* bytes, std::size_t length);
  // The file's contents, following symbolic links, or nil if it cannot be read: missing, no
  // permission, not a regular file (a folder, a FIFO, a device), a link that leads nowhere or
  // loops, or larger than kFileReadLimit (64 MiB). Never blocks.
  static Ref<NSData> dataWithContentsOfFile(const std::string& path);
  // The same, saying why a read failed in *errorDescription (if given): the path, then the reason.
  static Ref<NSData> dataWithContentsOfFile(const std::string& path, Ref<NSString>* errorDescription);

  const unsigned char* bytes() const { return bytes_.data(); }
  std::size_t length() const { return bytes_.size(); }
  bool isEqualToData(const NSData* other) const { return other && bytes_ == other->bytes_; }

  // Atomically, the file is replaced only once the new contents are completely written: on any
  // failure the old file stays whole (or stays missing). Returns whether the write succeeded.
  bool writeToFile(const std::string& path, bool atomically) const;
  // The same, reporting why a write failed in *errorDescription (if given).
  bool writeToFile(const std::string& path, NSDataWritingOptions options,
                   Ref<NSString>* errorDescription) const;

 private:
  std::vector<unsigned char> bytes_;
};
