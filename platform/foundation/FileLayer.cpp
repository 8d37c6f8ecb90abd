#include "foundation/FileLayer.h"
#include "foundation/LargeBuffers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// When this process started, as near as the library can tell: when it was loaded.
const struct timespec kProcessStart = [] {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now;
}();

bool before(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// ".NAME." followed by six letters or digits, as mkstemp makes them.
bool isTemporaryOf(const std::string& entry, const std::string& name) {
  const std::string prefix = "." + name + ".";
  if (entry.size() != prefix.size() + 6 || entry.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(entry.begin() + std::ptrdiff_t(prefix.size()), entry.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

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

// A file beyond kFileReadLimit: the message names the limit.
void tooLarge(std::string* error) {
  fail(error, "could not read the file", EFBIG);
  if (error) *error += " (more than the " + std::to_string(kFileReadLimit >> 20) + " MiB a file may have)";
}

// Only regular files are read and replaced: a FIFO or a device could block, never end, or be a
// part of the system that a write must not take the place of.
bool notRegular(std::string* error, const char* what) {
  if (error) *error = std::string(what) + ": not a regular file";
  errno = EINVAL;
  return false;
}

// Follows `path` while it is a symbolic link (a relative target is taken from the link's folder)
// and leaves it naming what the last link leads to: a file, something else, or nothing (whatever
// stops lstat stops the write's own steps too, with the same reason). False with errno set if
// the links loop or cannot be read.
bool followLinks(std::string& path) {
  constexpr int kMaxLinks = 40;  // as the kernel allows in one path
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return true;
    if (!S_ISLNK(info.st_mode)) return true;
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec) {
      errno = ec.value();
      return false;
    }
    path = target.is_absolute() ? target.string()
                                : (std::filesystem::path(path).parent_path() / target).string();
  }
  errno = ELOOP;
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

// A symbolic link is the user's: the file it leads to is replaced, and the link stays.
bool writeAtomically(const std::string& givenPath, const void* bytes, std::size_t size,
                     std::string* error) {
  std::string path = givenPath;
  if (!followLinks(path)) return fail(error, "could not follow the link", errno);
  struct stat old;
  const bool replacing = ::lstat(path.c_str(), &old) == 0;
  if (replacing && !S_ISREG(old.st_mode)) return notRegular(error, "could not replace the file");

  FileRemoveStaleTemporaries(path);
  std::filesystem::path target(path);
  std::string temporary =
      (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  if (int err = injected(FileStep::CreateTemporary))
    return fail(error, "could not create a temporary file", err);
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) return fail(error, "could not create a temporary file", errno);

  // mkstemp makes the file private; the result should look like any other written file, and a
  // replaced file keeps its permissions.
  ::fchmod(fd, replacing ? (old.st_mode & 07777) : 0644);

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

void FileRemoveStaleTemporaries(const std::string& hostPath) {
  const std::filesystem::path target(hostPath);
  const std::string name = target.filename().string();
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  if (name.empty()) return;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const struct dirent* entry = ::readdir(dir)) {
    if (!isTemporaryOf(entry->d_name, name)) continue;
    const std::string path = folder + "/" + entry->d_name;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && before(st.st_mtim, kProcessStart))
      ::unlink(path.c_str());
  }
  ::closedir(dir);
}

std::optional<std::vector<unsigned char>> FileReadAll(const std::string& hostPath,
                                                      std::string* error) {
  // Without blocking: a FIFO opened for reading would otherwise wait for a writer for ever.
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    fail(error, "could not open the file", errno);
    return std::nullopt;
  }
  auto failed = [fd](auto report) {  // reports (which sets errno), then closes the file
    report();
    const int err = errno;
    ::close(fd);
    errno = err;
    return std::nullopt;
  };
  struct stat info;
  if (::fstat(fd, &info) != 0) return failed([&] { fail(error, "could not read the file", errno); });
  if (!S_ISREG(info.st_mode)) return failed([&] { notRegular(error, "could not read the file"); });
  if (static_cast<std::uint64_t>(info.st_size) > kFileReadLimit)
    return failed([&] { tooLarge(error); });

  // The size it had is read straight into place; the file may grow while it is read, so it is
  // read on to its end, but never past the limit.
  std::vector<unsigned char> contents;
  resizeInLargePages(contents, static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  unsigned char buffer[1 << 16];
  for (;;) {
    const bool inPlace = filled < contents.size();
    const std::size_t room = inPlace ? contents.size() - filled : kFileReadLimit + 1 - filled;
    unsigned char* into = inPlace ? contents.data() + filled : buffer;
    const ssize_t n = ::read(fd, into, std::min(inPlace ? room : sizeof buffer, room));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failed([&] { fail(error, "could not read the file", errno); });
    if (n == 0) break;
    if (!inPlace) contents.insert(contents.end(), buffer, buffer + n);
    filled += static_cast<std::size_t>(n);
    if (filled > kFileReadLimit) return failed([&] { tooLarge(error); });
  }
  contents.resize(filled);  // the file may also have shrunk
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
