// The order a queue plays in, as the Now Playing screen's Shuffle and Repeat set it. Positions
// count in play order; each names an entry of the queue. Unshuffled the two are the same and
// nothing is stored, so a long queue costs nothing here until Shuffle is switched on; shuffled,
// the track playing comes first and the queue's other entries follow, dealt at random.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "host/player/PlayerTransport.h"

namespace host {

class PlayOrder {
 public:
  using Repeat = PlayerTransport::Repeat;
  // `seed` makes the deals repeatable (tests); 0 takes one from the system.
  explicit PlayOrder(uint64_t seed = 0);

  // The queue holds `count` entries (it only grows: entries added join the end of the order).
  void resize(size_t count);
  size_t count() const { return count_; }
  size_t entryAt(size_t position) const { return shuffled_ ? order_[position] : position; }
  bool shuffled() const { return shuffled_; }

  // Shuffle switched on (a new deal each time) or off; `current` is the position playing, or
  // none. Answers the position the entry playing has in the new order (0 when shuffled).
  std::optional<size_t> shuffle(bool on, std::optional<size_t> current);
  // The queue starts again from its first position; shuffled, with a fresh deal of every entry.
  void restart();

  // The position that follows `position`: when its track ends by itself (`byItself`, where
  // Repeat One plays it again), or when the listener taps Next. None when the queue has ended.
  std::optional<size_t> after(size_t position, Repeat repeat, bool byItself) const;

 private:
  void deal(std::optional<size_t> first);

  size_t count_ = 0;
  bool shuffled_ = false;
  std::vector<size_t> order_;  // while shuffled: the entry at each position
  std::mt19937_64 random_;
};

}  // namespace host
