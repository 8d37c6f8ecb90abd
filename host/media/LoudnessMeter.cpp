#include "host/media/LoudnessMeter.h"

#include <ebur128.h>

#include <cmath>
#include <limits>

namespace host {

LoudnessMeter::LoudnessMeter(int channels, double sampleRate, int64_t expectedFrames)
    : sampleRate_(sampleRate), integrated_(std::numeric_limits<double>::quiet_NaN()) {
  if (channels < 1 || sampleRate < 1) return;
  const bool exact = double(expectedFrames) <= kExactUpToSeconds * sampleRate;
  state_ = ebur128_init(unsigned(channels), (unsigned long)(sampleRate),
                        EBUR128_MODE_I | (exact ? 0 : EBUR128_MODE_HISTOGRAM));
}

LoudnessMeter::~LoudnessMeter() {
  if (state_) ebur128_destroy(&state_);
}

void LoudnessMeter::add(const float* frames, size_t count) noexcept {
  if (!state_ || count == 0) return;
  if (ebur128_add_frames_float(state_, frames, count) != EBUR128_SUCCESS) {
    ebur128_destroy(&state_);  // out of memory: no figure rather than a wrong one
    return;
  }
  frames_ += int64_t(count);
}

void LoudnessMeter::finish() {
  if (!state_) return;
  // One gating block (400 ms) is the least the measure is defined for.
  double lufs = 0;
  if (double(frames_) >= 0.4 * sampleRate_ && ebur128_loudness_global(state_, &lufs) == EBUR128_SUCCESS)
    integrated_ = lufs;  // -HUGE_VAL when every block is gated out as silence
  ebur128_destroy(&state_);
}

}  // namespace host
