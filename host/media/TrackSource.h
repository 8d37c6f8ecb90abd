// Where a playback session's tracks come from: entries in play order (see PlayOrder), each opened
// as a decoded stream, and a cursor the listener moves (next, previous, Shuffle, Repeat).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "host/media/PlayOrder.h"
#include "host/media/PlayQueue.h"
#include "host/media/TrackStream.h"

namespace host {

// One entry opened: its position in play order, its stream, or why it cannot be played.
struct OpenedEntry {
  size_t index = 0;
  std::unique_ptr<TrackStream> stream;
  std::string error;
};

class TrackSource {
 public:
  using Repeat = PlayOrder::Repeat;
  virtual ~TrackSource() = default;
  virtual size_t count() const = 0;
  // The entry at a position of the play order.
  virtual const QueuedFile& entry(size_t position) const = 0;
  // Main thread. Opens the entry at the cursor and moves it on as a track ending by itself
  // would. `measureOutput`: see openTrackStream.
  virtual OpenedEntry openNext(bool measureOutput) = 0;
  virtual bool exhausted() const = 0;
  // Playing goes on from `position`; none: the queue has ended.
  virtual void moveTo(std::optional<size_t> position) = 0;
  // The position after `position`, by itself or when the listener taps Next (PlayOrder::after).
  virtual std::optional<size_t> after(size_t position, bool byItself) const = 0;
  virtual void setRepeat(Repeat repeat) = 0;
  // Shuffle on (a new deal) or off, `current` the position playing if any: its new position.
  virtual std::optional<size_t> shuffle(bool on, std::optional<size_t> current) = 0;
  // From the first position again (a fresh deal while shuffled).
  virtual void restart() = 0;
  // Takes in the entries the queue gained since last asked; answers how many there are. Unless
  // the cursor has somewhere to go, it goes to the first of them.
  virtual size_t takeNewEntries() = 0;
};

// The files named for the session, in play order. The vector may grow between calls (files
// dropped on the window); entries are never removed.
class QueueSource final : public TrackSource {
 public:
  QueueSource(const std::vector<QueuedFile>& files, const TrackSettings& settings, uint64_t shuffleSeed = 0)
      : files_(files), settings_(settings), order_(shuffleSeed) {
    order_.resize(files.size());
  }
  size_t count() const override { return order_.count(); }
  const QueuedFile& entry(size_t position) const override { return files_[order_.entryAt(position)]; }
  OpenedEntry openNext(bool measureOutput) override;
  bool exhausted() const override { return !next_ || *next_ >= order_.count(); }
  void moveTo(std::optional<size_t> position) override { next_ = position; }
  std::optional<size_t> after(size_t position, bool byItself) const override {
    return order_.after(position, repeat_, byItself);
  }
  void setRepeat(Repeat repeat) override { repeat_ = repeat; }
  std::optional<size_t> shuffle(bool on, std::optional<size_t> current) override;
  void restart() override;
  size_t takeNewEntries() override;

 private:
  const std::vector<QueuedFile>& files_;
  TrackSettings settings_;
  PlayOrder order_;
  Repeat repeat_ = Repeat::Off;
  std::optional<size_t> next_ = 0;
};

}  // namespace host
