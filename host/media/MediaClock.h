// The offline session clock: the main run loop's time is the media time played so far, starting
// at 0 and advanced by each block's frames divided by its sample rate, across tracks. Timers
// scheduled while it stands at 0 (the controls' 2.0-second timers) fall due at that media time.
#pragma once

#include <cstdint>

namespace host {

class MediaClock {
 public:
  MediaClock();   // becomes the main run loop's clock, at 0
  ~MediaClock();  // gives the run loop its wall clock back
  MediaClock(const MediaClock&) = delete;
  MediaClock& operator=(const MediaClock&) = delete;

  void advance(int64_t frames, double sampleRate) { seconds_ += double(frames) / sampleRate; }
  double seconds() const { return seconds_; }

 private:
  double seconds_ = 0;
};

}  // namespace host
