// What the sound device's callback plays: the track it holds and, when that ends, the one the
// main thread handed over, with no gap; silence while the listener has paused playback or the
// main thread holds the audio thread still. Apart from the device, so what the audio thread does
// can be driven (and counted) without one.
//
// Holding: the main thread asks for a hold; the next callback acknowledges it as it starts and
// writes silence instead of rendering, and so does every callback until the hold is released.
// Once the main thread sees the acknowledgement no render is in progress and none starts, so it
// may seek the tracks or let them go. The audio thread never waits or locks for it: it reads one
// atomic word and writes another. Pausing is a hold the main thread does not wait for.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/media/OutputStages.h"

namespace host {

class TrackPlayback;

class DeviceFeed {
 public:
  // Main thread, while no callback runs. Every block then goes through the volume and, when it
  // is on, the peak limiter, after the tracks and their taps (silence included).
  void configure(int channels, int64_t blockFrames, double sampleRate = 44100);
  void setLimiterOn(bool on) { output_.setLimiterOn(on); }
  void forgetTracks();

  // Audio thread: one callback's `frames` frames, interleaved. Allocates nothing, takes no lock,
  // never waits.
  void fill(float* out, int64_t frames) noexcept;

  // Main thread: hands over the track to play once the current one has ended (or at once when
  // nothing plays); the audio thread prepares it as it takes it, if it is not prepared yet. False while an earlier hand-over has not been taken yet. The track must stay
  // alive until it is finished() or let go.
  bool handOver(TrackPlayback* track);
  void setPaused(bool paused);
  void requestHold();
  bool holdAcknowledged() const noexcept;  // no render in progress, none until releaseHold()
  void releaseHold();
  // Main thread, once the hold is acknowledged (or while no callback runs): the feed forgets the
  // track, playing or handed over.
  void letGo(const TrackPlayback* track);

  OutputGain& volume() { return output_.volume(); }
  const PeakLimiter& limiter() const { return output_.limiter(); }
  bool limiterOn() const { return output_.limiterOn(); }

  // Frames of silence written because playback was paused or held.
  int64_t framesHeld() const noexcept { return framesHeld_.load(std::memory_order_relaxed); }

 private:
  void requestStill(bool still);
  void fillFromTracks(float* out, int64_t frames) noexcept;

  int channels_ = 2;
  int64_t blockFrames_ = 4096;
  std::atomic<TrackPlayback*> next_{nullptr};
  TrackPlayback* current_ = nullptr;  // the audio thread's; the main thread's while it holds
  bool paused_ = false, holding_ = false;  // main thread
  // Odd while the audio thread must render nothing; every change bumps it, so an
  // acknowledgement names the very request it answers.
  std::atomic<uint64_t> stillRequest_{0};
  std::atomic<uint64_t> stillAcknowledged_{0};
  std::atomic<int64_t> framesHeld_{0};
  OutputStages output_;
};

}  // namespace host
