#include "host/media/PopulatedMemory.h"

#include <sys/mman.h>

#include <new>

namespace host {

PopulatedFloats::PopulatedFloats(size_t count) : bytes_(count * sizeof(float)) {
  if (bytes_ == 0) return;
  // Anonymous memory is zero. A kernel that cannot populate it all now maps the rest on first
  // touch, as for any other memory.
  void* memory = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<float*>(memory);
}

void PopulatedFloats::reset() {
  if (data_) ::munmap(data_, bytes_);
  data_ = nullptr;
  bytes_ = 0;
}

}  // namespace host
