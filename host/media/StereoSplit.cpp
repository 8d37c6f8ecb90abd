#include "host/media/StereoSplit.h"

#include <cstring>

namespace host {
namespace {

using Floats4 = float __attribute__((vector_size(16)));

Floats4 load(const float* p) noexcept {
  Floats4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void store(float* p, Floats4 v) noexcept { std::memcpy(p, &v, sizeof v); }

}  // namespace

void splitStereo(const float* frames, float* left, float* right, size_t count) noexcept {
  size_t i = 0;
  for (; i + 4 <= count; i += 4, frames += 8) {
    const Floats4 a = load(frames), b = load(frames + 4);
    store(left + i, __builtin_shufflevector(a, b, 0, 2, 4, 6));
    store(right + i, __builtin_shufflevector(a, b, 1, 3, 5, 7));
  }
  for (; i < count; ++i, frames += 2) {
    left[i] = frames[0];
    right[i] = frames[1];
  }
}

void joinStereo(const float* left, const float* right, float* frames, size_t count) noexcept {
  size_t i = 0;
  for (; i + 4 <= count; i += 4, frames += 8) {
    const Floats4 l = load(left + i), r = load(right + i);
    store(frames, __builtin_shufflevector(l, r, 0, 4, 1, 5));
    store(frames + 4, __builtin_shufflevector(l, r, 2, 6, 3, 7));
  }
  for (; i < count; ++i, frames += 2) {
    frames[0] = left[i];
    frames[1] = right[i];
  }
}

}  // namespace host
