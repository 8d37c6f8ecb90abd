// A regular file read through libsndfile's virtual I/O with a buffer of our own. Left to itself,
// libsndfile reads a PCM file in 8 KiB system calls (thirteen thousand for ten minutes of CD
// audio); here the buffer doubles while the file is read in order, up to 512 KiB a call, and
// stays small for a file of which only the header is read (checking a queue of thousands).
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

namespace host {

class BufferedFileInput {
 public:
  explicit BufferedFileInput(int fd);  // owns fd from now on
  ~BufferedFileInput();
  BufferedFileInput(const BufferedFileInput&) = delete;
  BufferedFileInput& operator=(const BufferedFileInput&) = delete;

  // The callbacks for sf_open_virtual, with this object as their user data.
  static SF_VIRTUAL_IO& callbacks();

  // The reason a read failed (the system's), or empty. libsndfile sees a failed read as the end
  // of the file; the reader asks here whether it was one.
  const std::string& error() const { return error_; }

 private:
  sf_count_t length();
  sf_count_t seek(sf_count_t offset, int whence);
  sf_count_t read(void* out, sf_count_t count);
  bool refill();

  int fd_;
  sf_count_t size_ = 0;                   // the file's length when opened
  sf_count_t position_ = 0;               // where the next read starts
  sf_count_t bufferStart_ = 0;            // the file offset of buffer_[0]
  size_t bufferFill_ = 0;                 // bytes held
  size_t capacity_ = 0;                   // bytes the buffer has room for
  std::unique_ptr<unsigned char[]> buffer_;
  std::string error_;
};

}  // namespace host
