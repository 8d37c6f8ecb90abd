// The listener's volume on what goes to the speakers. The main thread sets it; the audio thread
// moves to it in a straight ramp over one block (no zipper noise), and at full volume leaves
// every sample as it is.
#pragma once

#include <atomic>
#include <cstdint>

namespace host {

class OutputGain {
 public:
  // The gain a volume slider position (0 to 1) stands for: its cube, so equal steps of the
  // slider sound about equally loud (from -6 dB at 0.8 to -18 dB at 0.5 and silence at 0).
  static float gainForVolume(float volume);

  void configure(int channels) { channels_ = channels; }
  // Any thread; relaxed, read once per block.
  void setVolume(float volume) { target_.store(gainForVolume(volume), std::memory_order_relaxed); }

  // Main thread, while nothing processes (before the device starts): no ramp from full volume.
  void startAt(float volume) {
    setVolume(volume);
    gain_ = target_.load(std::memory_order_relaxed);
  }

  // Audio thread: `frames` interleaved frames in place. Allocates nothing, takes no lock.
  void process(float* samples, int64_t frames) noexcept;

 private:
  int channels_ = 2;
  std::atomic<float> target_{1.0f};
  float gain_ = 1.0f;  // the audio thread's
};

}  // namespace host
