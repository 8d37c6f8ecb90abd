#include "host/media/BufferedFileInput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace host {
namespace {

constexpr size_t kFirstBuffer = size_t(16) << 10;
constexpr size_t kLargestBuffer = size_t(512) << 10;

}  // namespace

BufferedFileInput::BufferedFileInput(int fd) : fd_(fd) {
  struct stat status {};
  if (fstat(fd_, &status) == 0) size_ = sf_count_t(status.st_size);
}

BufferedFileInput::~BufferedFileInput() { ::close(fd_); }

SF_VIRTUAL_IO& BufferedFileInput::callbacks() {
  static SF_VIRTUAL_IO io = {
      [](void* self) { return static_cast<BufferedFileInput*>(self)->length(); },
      [](sf_count_t offset, int whence, void* self) {
        return static_cast<BufferedFileInput*>(self)->seek(offset, whence);
      },
      [](void* out, sf_count_t count, void* self) {
        return static_cast<BufferedFileInput*>(self)->read(out, count);
      },
      nullptr,  // never written
      [](void* self) { return static_cast<BufferedFileInput*>(self)->position_; },
  };
  return io;
}

sf_count_t BufferedFileInput::length() { return size_; }

sf_count_t BufferedFileInput::seek(sf_count_t offset, int whence) {
  sf_count_t target = offset;
  if (whence == SEEK_CUR) target += position_;
  if (whence == SEEK_END) target += size_;
  if (target < 0) return -1;
  position_ = target;
  error_.clear();  // a read from the new place is tried afresh
  return position_;
}

// Refills the buffer at position_, twice as large as the last time while the file is read in
// order. False at the end of the file or on an error.
bool BufferedFileInput::refill() {
  const bool inOrder = bufferFill_ > 0 && position_ == bufferStart_ + sf_count_t(bufferFill_);
  const size_t wanted = !buffer_ ? kFirstBuffer
                        : inOrder ? std::min(capacity_ * 2, kLargestBuffer)
                                  : capacity_;
  if (wanted != capacity_) {
    buffer_ = std::make_unique_for_overwrite<unsigned char[]>(wanted);
    capacity_ = wanted;
  }
  bufferStart_ = position_;
  bufferFill_ = 0;
  for (;;) {
    const ssize_t got = ::pread(fd_, buffer_.get(), capacity_, off_t(position_));
    if (got >= 0) {
      bufferFill_ = size_t(got);
      return got > 0;
    }
    if (errno != EINTR) {
      error_ = std::strerror(errno);
      return false;
    }
  }
}

sf_count_t BufferedFileInput::read(void* out, sf_count_t count) {
  auto* to = static_cast<unsigned char*>(out);
  sf_count_t done = 0;
  while (done < count) {
    const sf_count_t into = position_ - bufferStart_;
    if (into < 0 || into >= sf_count_t(bufferFill_)) {
      if (!refill()) break;
      continue;
    }
    const sf_count_t take = std::min(count - done, sf_count_t(bufferFill_) - into);
    std::memcpy(to + done, buffer_.get() + into, size_t(take));
    done += take;
    position_ += take;
  }
  return done;
}

}  // namespace host
