#include "host/media/OutputFile.h"

#include "foundation/FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace host {
namespace {

namespace fs = std::filesystem;

// The permissions a new file would get; a replaced file keeps its own.
mode_t newFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

OutputFile::~OutputFile() { discard(); }

void OutputFile::dropReplacedCache() {
  const int fd = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return;  // nothing there yet, or not ours to read: nothing to drop
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return;
  }
  // Advice only: pages not yet written out stay, and readers of the old file read it from disk.
  try {
    dropReplaced_ = std::thread([fd] {
      posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
      ::close(fd);
    });
  } catch (const std::system_error&) {  // no thread to spare: the rename frees them after all
    ::close(fd);
  }
}

void OutputFile::joinDropReplaced() {
  if (dropReplaced_.joinable()) dropReplaced_.join();
}

bool OutputFile::open(const std::string& path, double sampleRate, int channels,
                      std::string& error) {
  discard();
  path_ = target_ = path;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) {
    error = "it is a folder";
    return false;
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    writing_ = target_;
    return sink_.open(writing_, sampleRate, channels, error);
  }

  if (fs::is_symlink(fs::symlink_status(path, ec)))
    if (fs::path resolved = fs::weakly_canonical(path, ec); !ec) target_ = resolved.string();
  const fs::path target(target_);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // What a render killed before its end left under this output's temporary name goes first.
  FileRemoveStaleTemporaries(target_);
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat existing {};
  fchmod(fd, ::stat(target_.c_str(), &existing) == 0 ? existing.st_mode & 07777 : newFileMode());
  writing_ = pattern;
  if (!sink_.open(fd, sampleRate, channels, error)) {
    ::unlink(writing_.c_str());
    writing_.clear();
    return false;
  }
  dropReplacedCache();
  return true;
}

bool OutputFile::commit(std::string& error) {
  if (!sink_.isOpen()) {
    error = "the output file is not open";
    return false;
  }
  const bool closed = sink_.close(error);
  joinDropReplaced();
  if (writing_ == target_) return closed;
  if (closed && std::rename(writing_.c_str(), target_.c_str()) == 0) {
    writing_.clear();
    return true;
  }
  if (closed) error = std::strerror(errno);
  ::unlink(writing_.c_str());
  writing_.clear();
  return false;
}

void OutputFile::discard() {
  sink_.close();
  joinDropReplaced();
  if (!writing_.empty() && writing_ != target_) ::unlink(writing_.c_str());
  writing_.clear();
}

}  // namespace host
