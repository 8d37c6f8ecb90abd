// An exclusive advisory lock (flock) on a folder at a device path, held for the object's life.
//
// Programs that read, change and replace a file in that folder take it around the whole
// sequence, so a change another process made in between is never overwritten. It locks the
// folder itself, not a file beside the data: nothing is created, and an atomic replace (a new
// file renamed over the old one) stays inside what the lock covers. The kernel releases it when
// the process ends, however it ends.
#pragma once

#include <string>

class FolderLock {
 public:
  // Waits up to `timeoutMs` for the lock; held() says whether it was taken, and *error (if
  // given) why not.
  FolderLock(const std::string& devicePath, int timeoutMs, std::string* error = nullptr);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};
