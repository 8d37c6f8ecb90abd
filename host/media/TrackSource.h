// Where a playback session's tracks come from: entries in order, each opened as a decoded
// stream, and a cursor the listener may move (next, previous).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "host/media/PlayQueue.h"
#include "host/media/TrackStream.h"

namespace host {

// One entry opened: its stream, or why it cannot be played.
struct OpenedEntry {
  size_t index = 0;
  std::unique_ptr<TrackStream> stream;
  std::string error;
};

class TrackSource {
 public:
  virtual ~TrackSource() = default;
  virtual size_t count() const = 0;
  virtual const QueuedFile& entry(size_t index) const = 0;
  // Main thread. Opens the entry at the cursor and moves past it. `measureOutput`: see
  // openTrackStream.
  virtual OpenedEntry openNext(bool measureOutput) = 0;
  virtual bool exhausted() const = 0;
  // Playing goes on from entry `target`: back to it, or ahead to it unless the cursor is beyond.
  virtual void moveTo(size_t target, bool back) = 0;
};

// The files named for the session, in order.
class QueueSource final : public TrackSource {
 public:
  QueueSource(const std::vector<QueuedFile>& files, const TrackSettings& settings)
      : files_(files), settings_(settings) {}
  size_t count() const override { return files_.size(); }
  const QueuedFile& entry(size_t index) const override { return files_[index]; }
  OpenedEntry openNext(bool measureOutput) override;
  bool exhausted() const override { return next_ >= files_.size(); }
  void moveTo(size_t target, bool back) override;

 private:
  const std::vector<QueuedFile>& files_;
  TrackSettings settings_;
  size_t next_ = 0;
};

}  // namespace host
