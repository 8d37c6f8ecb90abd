// What the listener hears last, after the tap: the volume, then (when on) the safety limiter.
// The sound device's feed and the desktop sink both end with these stages, so the volume slider
// and the "Limiting" read-out mean the same in the player and in the sink.
#pragma once

#include <cstdint>

#include "host/media/OutputGain.h"
#include "host/media/PeakLimiter.h"

namespace host {

class OutputStages {
 public:
  // Main thread, while nothing processes: sizes the stages for this format, with room for any
  // rate up to `highestRate` too (see rateChanged()). Allocates.
  void configure(int channels, double sampleRate, double highestRate = 0) {
    volume_.configure(channels);
    limiter_.configure(channels, sampleRate, highestRate);
  }
  void setLimiterOn(bool on) { limiterOn_ = on; }

  // Audio thread, between blocks: the stream now runs at `sampleRate`; the limiter starts again
  // for it when it differs. Allocates nothing.
  void rateChanged(double sampleRate) noexcept {
    if (sampleRate > 0 && sampleRate != limiter_.sampleRate()) limiter_.restart(sampleRate);
  }

  // Audio thread: `frames` interleaved frames in place. Allocates nothing, takes no lock.
  void process(float* samples, int64_t frames) noexcept {
    volume_.process(samples, frames);
    if (limiterOn_) limiter_.process(samples, frames);
  }

  OutputGain& volume() { return volume_; }
  const PeakLimiter& limiter() const { return limiter_; }
  bool limiterOn() const { return limiterOn_; }

 private:
  OutputGain volume_;
  PeakLimiter limiter_;
  bool limiterOn_ = false;
};

}  // namespace host
