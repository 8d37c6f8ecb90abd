// The thread that decodes the queue's tracks ahead of playback and measures what has been played,
// so neither costs the audio thread anything. Tracks are served in the order attached: the one
// playing first, the next one once the first is decoded to its end.
//
// It sleeps when every ring is full. Offline, the player rings its doorbell as it empties a ring
// (BlockRing's marks keep that to about two wake-ups per ring's worth of audio); live, the audio
// thread may not ring anything, so the thread also looks by itself every `pollInterval`.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "host/media/Doorbell.h"

namespace host {

class TrackStream;

class DecodeThread {
 public:
  // `givesWay`: the thread runs as background work (markAsBackgroundWork).
  explicit DecodeThread(std::optional<std::chrono::milliseconds> pollInterval = std::nullopt,
                        bool givesWay = false);
  ~DecodeThread();
  DecodeThread(const DecodeThread&) = delete;
  DecodeThread& operator=(const DecodeThread&) = delete;

  // Main thread. The stream's producer end belongs to this thread until detach() returns.
  // `first`: served before the streams attached earlier (the track playing, attached again
  // after a seek, goes before the next one).
  void attach(TrackStream& stream, bool first = false);
  void detach(TrackStream& stream);

  // For players that may ring (not the audio thread): make it each ring's producer doorbell
  // before attaching the stream.
  Doorbell& doorbell() { return doorbell_; }

 private:
  void loop();
  TrackStream* pickWork();  // holds mutex_

  std::optional<std::chrono::milliseconds> pollInterval_;
  bool givesWay_;
  std::mutex mutex_;
  std::condition_variable idle_;
  std::vector<TrackStream*> streams_;  // guarded by mutex_, in playing order
  TrackStream* busyWith_ = nullptr;    // guarded by mutex_
  bool quit_ = false;                  // guarded by mutex_
  bool attached_ = false;              // guarded by mutex_: a stream came since work was picked
  Doorbell doorbell_;
  std::thread thread_;
};

}  // namespace host
