// The desktop's sound going through a player item's processing tap, as a track does in the
// player: a queue item made for a stand-in file of the stream's format, its tap prepared for the
// graph's rate and processing interleaved frames in place. A new rate prepares the tap again,
// as a new track would.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "coreaudio/CoreAudioTypes.h"
#include "host/media/CompareStage.h"
#include "mediatoolbox/MTAudioProcessingTap.h"
#include "objc/NSObject.h"

namespace host {

class PlayerSession;

class DesktopTap {
 public:
  // The most frames one call of the tap handles; longer cycles go in several calls.
  static constexpr int64_t kMaxFrames = 8192;

  // Main thread. `standIn` is an audio file of `channels` channels the player item is made for;
  // the tap is prepared for `rate` at once (the engine's first preparation may allocate).
  DesktopTap(PlayerSession& session, const std::string& standIn, int channels, double rate);
  // The same for a tap already made; `owner` keeps it alive.
  DesktopTap(Ref<NSObject> owner, MTAudioProcessingTapRef tap, int channels, double rate);
  ~DesktopTap();
  DesktopTap(const DesktopTap&) = delete;
  DesktopTap& operator=(const DesktopTap&) = delete;

  bool hasTap() const { return tap_ != nullptr; }
  int channels() const { return channels_; }

  // Any thread: the rate the next process() prepares the tap for, if it differs.
  void rateChanged(double rate) noexcept { wantedRate_.store(rate, std::memory_order_relaxed); }
  double preparedRate() const noexcept { return preparedRate_.load(std::memory_order_relaxed); }

  // Main thread, before the sink starts: what the tap makes is heard through `stage` (the
  // listener's A/B comparison). measureAt() gives the comparison a loudness measure for a rate
  // the graph moved to; the main thread makes it, the audio thread takes it at its next cycle.
  void compareThrough(CompareStage* stage);
  void measureAt(double rate);

  // Audio thread: `frames` interleaved frames from `in` through the tap into `out` (which may be
  // `in`), with flush-to-zero. Allocates nothing, takes no lock, never waits.
  void process(const float* in, float* out, int64_t frames) noexcept;

 private:
  void prepareFor(double rate) noexcept;

  Ref<NSObject> queueItem_;
  MTAudioProcessingTapRef tap_ = nullptr;
  int channels_;
  std::vector<float> buffer_;  // the block handed to the tap
  const float* source_ = nullptr;
  int64_t sourceFrames_ = 0;
  AudioBufferList list_{};
  std::atomic<double> wantedRate_;
  std::atomic<double> preparedRate_{0};
  CompareStage* compare_ = nullptr;
  double measuredRate_ = 0;  // main thread: the rate of the latest measure made
  std::unique_ptr<CompareLoudness> loudness_;            // the audio thread's
  std::atomic<CompareLoudness*> nextLoudness_{nullptr};  // handed over by measureAt()
  std::atomic<CompareLoudness*> doneLoudness_{nullptr};  // handed back, freed by measureAt()
};

}  // namespace host
