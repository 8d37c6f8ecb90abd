#include "foundation/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "foundation/DeviceRoot.h"

FolderLock::FolderLock(const std::string& devicePath, int timeoutMs, std::string* error) {
  const std::string hostPath = DevicePathToHost(devicePath);
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = hostPath + ": could not open the folder to lock it: " + std::strerror(errno);
    return;
  }
  // Polled rather than waited for in the kernel, so a process that holds the lock for good
  // (stopped in a debugger, say) costs a bounded wait and a message, never a hung player.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return;
    }
    const int reason = errno;
    if ((reason != EWOULDBLOCK && reason != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      if (error) {
        *error = hostPath + (reason == EWOULDBLOCK ? ": another program kept the folder locked"
                                                   : ": could not lock the folder: " +
                                                         std::string(std::strerror(reason)));
      }
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the lock
}
