// Buffers of tens of megabytes (a large settings file read or written whole) in the kernel's
// large pages where it offers them: touching such a buffer then costs a few dozen page faults
// instead of ten thousand, which on a virtual machine is most of the time spent on the file.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Makes `bytes` hold `size` zero bytes (its old contents are dropped).
inline void resizeInLargePages(std::vector<unsigned char>& bytes, std::size_t size) {
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  bytes.clear();
  bytes.reserve(size);
  if (size >= 2 * kLargePage) {
    const auto start = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (start + size) & ~(kLargePage - 1);
    // Only advice: without large pages the buffer is simply made of small ones.
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
  bytes.resize(size);
}
