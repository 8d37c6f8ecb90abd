// The virtual sink on the user's PipeWire server: a capture stream that is an Audio/Sink node
// ("tunely") which applications play into, and a playback stream that sends the filtered sound
// on, both in one node group so a cycle's input goes out in the same cycle. PipeWire's data
// thread runs the DesktopTap, then the output stages (volume, limiter), on whatever number of
// frames each cycle brings; PipeWire's own
// events run on a loop thread of their own, and the main thread only looks at what they left.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct spa_pod;

namespace host {

class DesktopTap;
class OutputStages;

class PipeWireSink {
 public:
  PipeWireSink();
  ~PipeWireSink();  // disconnects (the data thread stops first)
  PipeWireSink(const PipeWireSink&) = delete;
  PipeWireSink& operator=(const PipeWireSink&) = delete;

  // Connects to the server. False with PipeWire's reason when none can be reached.
  bool connect(std::string& error);
  // After connect(): who holds a node named "tunely" already ("process 1234"), if anyone.
  std::optional<std::string> runningSink();
  // Creates the sink with `channels` channels playing through `tap`, then `stages`, into the
  // sink named `target` (empty: wherever PipeWire sends a playback stream by default). `stages`
  // must have room for any rate the graph may take. False with the reason when the streams
  // cannot be made.
  bool start(DesktopTap& tap, OutputStages& stages, int channels, const std::string& target,
             std::string& error);

  // Main thread: the streams and the connection end; the data thread no longer touches the tap.
  void stop();

  // Main thread, any time: the server went away (and why), the rate the sink runs at (0 before
  // it is known) and the frames filtered so far.
  bool serverGone() const { return gone_.load(std::memory_order_acquire); }
  std::string goneReason();
  double rate() const { return rate_.load(std::memory_order_relaxed); }
  uint64_t framesFiltered() const { return frames_.load(std::memory_order_relaxed); }

 private:
  struct Impl;
  static void onProcess(void* self);
  static void onFormat(void* self, uint32_t id, const spa_pod* param);
  static void onCoreError(void* self, uint32_t id, int seq, int res, const char* message);

  std::unique_ptr<Impl> impl_;
  DesktopTap* tap_ = nullptr;
  OutputStages* stages_ = nullptr;
  int channels_ = 2;
  std::atomic<bool> gone_{false};
  std::mutex reasonMutex_;  // the loop thread writes the reason, the main thread reads it
  std::string reason_;
  std::atomic<double> rate_{0};
  std::atomic<uint64_t> frames_{0};
};

}  // namespace host
