#include "host/media/DeviceFeed.h"

#include <algorithm>
#include <cstring>

#include "host/media/TrackPlayback.h"

namespace host {

void DeviceFeed::configure(int channels, int64_t blockFrames, double sampleRate) {
  channels_ = channels;
  blockFrames_ = std::max<int64_t>(1, blockFrames);
  output_.configure(channels, sampleRate);
}

void DeviceFeed::forgetTracks() {
  current_ = nullptr;
  next_.store(nullptr, std::memory_order_relaxed);
}

bool DeviceFeed::handOver(TrackPlayback* track) {
  TrackPlayback* expected = nullptr;
  return next_.compare_exchange_strong(expected, track, std::memory_order_release,
                                       std::memory_order_relaxed);
}

void DeviceFeed::requestStill(bool still) {
  const uint64_t request = stillRequest_.load(std::memory_order_relaxed);
  // Release: what the main thread changed while holding is seen by the callback that renders.
  if (((request & 1) != 0) != still) stillRequest_.store(request + 1, std::memory_order_release);
}

void DeviceFeed::setPaused(bool paused) {
  paused_ = paused;
  requestStill(paused_ || holding_);
}

void DeviceFeed::requestHold() {
  holding_ = true;
  requestStill(true);
}

bool DeviceFeed::holdAcknowledged() const noexcept {
  const uint64_t request = stillRequest_.load(std::memory_order_relaxed);
  // Acquire: what the audio thread did before it acknowledged is seen here.
  return (request & 1) != 0 && stillAcknowledged_.load(std::memory_order_acquire) == request;
}

void DeviceFeed::releaseHold() {
  holding_ = false;
  requestStill(paused_);
}

void DeviceFeed::letGo(const TrackPlayback* track) {
  if (current_ == track) current_ = nullptr;
  TrackPlayback* handed = const_cast<TrackPlayback*>(track);
  next_.compare_exchange_strong(handed, nullptr, std::memory_order_relaxed);
}

void DeviceFeed::fill(float* out, int64_t frames) noexcept {
  fillFromTracks(out, frames);
  output_.process(out, frames);
}

void DeviceFeed::fillFromTracks(float* out, int64_t frames) noexcept {
  const size_t ch = size_t(channels_);
  if (const uint64_t request = stillRequest_.load(std::memory_order_acquire); request & 1) {
    stillAcknowledged_.store(request, std::memory_order_release);
    std::memset(out, 0, size_t(frames) * ch * sizeof(float));
    framesHeld_.fetch_add(frames, std::memory_order_relaxed);
    return;
  }
  while (frames > 0) {
    if (!current_) {
      current_ = next_.exchange(nullptr, std::memory_order_acquire);
      // The tap is prepared for the track's rate only now that it starts to be heard: the track
      // before it played to its end through its own design.
      if (current_) current_->prepare();
    }
    bool ended = false;
    const int64_t n = current_ ? current_->play(out, std::min(frames, blockFrames_), &ended) : 0;
    if (ended) current_ = nullptr;  // the main thread may now finish it
    if (n == 0 && !ended) {         // nothing to play, or decoding fell behind: silence
      std::memset(out, 0, size_t(frames) * ch * sizeof(float));
      return;
    }
    out += size_t(n) * ch;
    frames -= n;
  }
}

}  // namespace host
