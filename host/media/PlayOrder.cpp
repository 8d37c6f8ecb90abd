#include "host/media/PlayOrder.h"

#include <algorithm>
#include <numeric>

namespace host {

PlayOrder::PlayOrder(uint64_t seed) : random_(seed != 0 ? seed : std::random_device{}()) {}

void PlayOrder::resize(size_t count) {
  if (count <= count_) return;
  if (shuffled_)
    for (size_t entry = count_; entry < count; ++entry) order_.push_back(entry);
  count_ = count;
}

// Every entry once, `first` (an entry) at the front when given, the rest in random order.
void PlayOrder::deal(std::optional<size_t> first) {
  order_.resize(count_);
  std::iota(order_.begin(), order_.end(), size_t(0));
  auto rest = order_.begin();
  if (first && *first < count_) {
    std::swap(order_[0], order_[*first]);
    ++rest;
  }
  std::shuffle(rest, order_.end(), random_);
}

std::optional<size_t> PlayOrder::shuffle(bool on, std::optional<size_t> current) {
  const std::optional<size_t> entry = current ? std::optional<size_t>(entryAt(*current)) : std::nullopt;
  shuffled_ = on;
  if (!on) {
    order_ = {};  // gives the memory back
    return entry;
  }
  deal(entry);
  return entry ? std::optional<size_t>(0) : std::nullopt;
}

void PlayOrder::restart() {
  if (shuffled_) deal(std::nullopt);
}

std::optional<size_t> PlayOrder::after(size_t position, Repeat repeat, bool byItself) const {
  if (count_ == 0) return std::nullopt;
  if (byItself && repeat == Repeat::One) return position;
  if (position + 1 < count_) return position + 1;
  if (repeat == Repeat::Off) return std::nullopt;
  return size_t(0);
}

}  // namespace host
