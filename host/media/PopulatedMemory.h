// Zeroed memory whose pages are all mapped in one system call when it is made, instead of one
// page fault at a time as it is first touched. On a virtual machine a page fault costs tens of
// microseconds, about twenty times what the same page costs mapped in bulk, and the memory is
// in place before a real-time thread touches it.
#pragma once

#include <cstddef>
#include <utility>

namespace host {

class PopulatedFloats {
 public:
  PopulatedFloats() = default;
  explicit PopulatedFloats(size_t count);  // throws std::bad_alloc when there is no memory
  ~PopulatedFloats() { reset(); }
  PopulatedFloats(PopulatedFloats&& other) noexcept { *this = std::move(other); }
  PopulatedFloats& operator=(PopulatedFloats&& other) noexcept {
    if (this != &other) {
      reset();
      data_ = std::exchange(other.data_, nullptr);
      bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
  }

  float* get() const { return data_; }
  void reset();  // frees the memory

 private:
  float* data_ = nullptr;
  size_t bytes_ = 0;
};

}  // namespace host
