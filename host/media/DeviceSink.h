// The sound device, through SDL2 audio. Its callback is the audio thread: it plays the track it
// holds and, when that ends, takes the one the main thread has handed over, with no gap. The
// main thread prepares each track ahead and a decoding thread fills its ring, so the callback only
// renders: no allocation, lock, log or wait. Should decoding ever fall behind, it plays silence
// rather than wait.
#pragma once

#include <SDL2/SDL.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace host {

class TrackPlayback;

class DeviceSink {
 public:
  DeviceSink() = default;
  ~DeviceSink();
  DeviceSink(const DeviceSink&) = delete;
  DeviceSink& operator=(const DeviceSink&) = delete;

  // Opens the default sound device, paused, for float frames at this rate and channel count.
  // False with the reason when there is no usable device.
  bool open(double sampleRate, int channels, int64_t blockFrames, std::string& error);
  void start();
  // Stops the callback for good (returns once it has), then releases the device.
  void close();
  bool isOpen() const { return device_ != 0; }

  double sampleRate() const { return double(obtained_.freq); }
  int channels() const { return obtained_.channels; }
  double bufferSeconds() const;

  // Main thread: hands over the track to play once the current one has ended (or at once when
  // nothing plays). False while an earlier hand-over has not been taken yet. The track must stay
  // alive until it is finished().
  bool handOver(TrackPlayback* track);

 private:
  static void SDLCALL callback(void* self, Uint8* stream, int len);
  void fill(float* out, int64_t frames) noexcept;

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec obtained_{};
  int64_t blockFrames_ = 4096;
  bool subsystemStarted_ = false;
  std::atomic<TrackPlayback*> next_{nullptr};
  TrackPlayback* current_ = nullptr;  // the audio thread's
};

}  // namespace host
