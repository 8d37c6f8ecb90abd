#include "foundation/FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kStepCount = static_cast<int>(FileStep::CreateDirectory) + 1;
std::atomic<int> injectedErrors[kStepCount];

// The errno a test asked this step to fail with, or 0.
int injected(FileStep step) {
  return injectedErrors[static_cast<int>(step)].load(std::memory_order_relaxed);
}

bool fail(std::string* error, const char* what, int err) {
  if (error) *error = std::string(what) + ": " + std::strerror(err);
  errno = err;
  return false;
}

// Writes everything, resuming after short writes and interruptions. On failure errno is set.
bool writeAll(int fd, const unsigned char* p, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The write step, with the injected fault acting like a disk that fills up half way.
bool writeContents(int fd, const void* bytes, std::size_t size, FileStep step) {
  auto p = static_cast<const unsigned char*>(bytes);
  if (int err = injected(step)) {
    writeAll(fd, p, size / 2);
    errno = err;
    return false;
  }
  return writeAll(fd, p, size);
}

bool writeInPlace(const std::string& path, const void* bytes, std::size_t size, std::string* error) {
  if (int err = injected(FileStep::WriteInPlace)) return fail(error, "could not write the file", err);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return fail(error, "could not open the file", errno);
  bool ok = writeContents(fd, bytes, size, FileStep::WriteInPlace);
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  return ok ? true : fail(error, "could not write the file", err);
}

bool writeAtomically(const std::string& path, const void* bytes, std::size_t size,
                     std::string* error) {
  std::filesystem::path target(path);
  std::string temporary =
      (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  if (int err = injected(FileStep::CreateTemporary))
    return fail(error, "could not create a temporary file", err);
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) return fail(error, "could not create a temporary file", errno);

  // mkstemp makes the file private; the result should look like any other written file, and a
  // replaced file keeps its permissions.
  struct stat old;
  ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

  bool ok = writeContents(fd, bytes, size, FileStep::WriteTemporary) && ::fsync(fd) == 0;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return fail(error, "could not write the temporary file", err);
  }
  err = injected(FileStep::Rename);
  if (err == 0 && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (err == 0) err = errno;
  ::unlink(temporary.c_str());
  return fail(error, "could not replace the file", err);
}

}  // namespace

std::optional<std::vector<unsigned char>> FileReadAll(const std::string& hostPath) {
  int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::vector<unsigned char> contents;
  unsigned char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {  // also a folder at the path: EISDIR
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    contents.insert(contents.end(), buffer, buffer + n);
  }
  ::close(fd);
  return contents;
}

bool FileWrite(const std::string& hostPath, const void* bytes, std::size_t size, bool atomically,
               std::string* error) {
  return atomically ? writeAtomically(hostPath, bytes, size, error)
                    : writeInPlace(hostPath, bytes, size, error);
}

bool FileCreateDirectory(const std::string& hostPath, bool withIntermediates, std::string* error) {
  if (int err = injected(FileStep::CreateDirectory))
    return fail(error, "could not create the folder", err);
  if (!withIntermediates) {
    if (::mkdir(hostPath.c_str(), 0755) == 0) return true;
    return fail(error, "could not create the folder", errno);
  }
  std::error_code ec;
  std::filesystem::create_directories(hostPath, ec);
  if (!ec && std::filesystem::is_directory(hostPath, ec)) return true;
  return fail(error, "could not create the folder", ec ? ec.value() : ENOTDIR);
}

void FileLayerInjectFault(FileStep step, int error) {
  injectedErrors[static_cast<int>(step)].store(error, std::memory_order_relaxed);
}

void FileLayerClearFaults() {
  for (auto& e : injectedErrors) e.store(0, std::memory_order_relaxed);
}
