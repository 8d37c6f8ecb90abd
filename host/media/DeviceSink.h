// The sound device, through SDL2 audio. Its callback is the audio thread: it plays what the
// DeviceFeed holds. The main thread prepares each track ahead and a decoding thread fills its
// ring, so the callback only renders: no allocation, lock, log or wait. Should decoding ever fall
// behind, it plays silence rather than wait.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>

#include "host/media/DeviceFeed.h"

namespace host {

class TrackPlayback;

class DeviceSink {
 public:
  DeviceSink() = default;
  ~DeviceSink();
  DeviceSink(const DeviceSink&) = delete;
  DeviceSink& operator=(const DeviceSink&) = delete;

  // Opens the default sound device, paused, for float frames at this rate and channel count.
  // False with the reason when there is no usable device. A pause carries over a reopening.
  bool open(double sampleRate, int channels, int64_t blockFrames, std::string& error);
  void start();
  // Stops the callback for good (returns once it has), then releases the device.
  void close();
  bool isOpen() const { return device_ != 0; }

  double sampleRate() const { return double(obtained_.freq); }
  int channels() const { return obtained_.channels; }
  double bufferSeconds() const;

  // Main thread: see DeviceFeed::handOver.
  bool handOver(TrackPlayback* track) { return feed_.handOver(track); }
  // Main thread: silence from the next callback on, the tracks left where they are; and back.
  void setPaused(bool paused) { feed_.setPaused(paused); }
  // Main thread: returns once no render is in progress and none will start before release():
  // the tracks the device holds may then be sought or let go. Takes up to one callback's time.
  void hold();
  void release() { feed_.releaseHold(); }
  // Main thread, while holding: the device forgets the track.
  void letGo(const TrackPlayback* track) { feed_.letGo(track); }

  const DeviceFeed& feed() const { return feed_; }
  DeviceFeed& feed() { return feed_; }

 private:
  static void SDLCALL callback(void* self, Uint8* stream, int len);

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec obtained_{};
  bool subsystemStarted_ = false;
  bool started_ = false;  // the callback runs
  DeviceFeed feed_;
};

}  // namespace host
