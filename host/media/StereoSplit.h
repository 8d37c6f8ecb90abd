// Interleaved stereo frames to two channel buffers and back, four frames to a pair of vector
// shuffles: the copies the tap's non-interleaved buffers cost on the rendering thread, whose
// time is the render's pace. The samples are moved, never changed.
#pragma once

#include <cstddef>

namespace host {

void splitStereo(const float* frames, float* left, float* right, size_t count) noexcept;
void joinStereo(const float* left, const float* right, float* frames, size_t count) noexcept;

}  // namespace host
