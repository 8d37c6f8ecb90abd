// The play order under Shuffle and Repeat: deals that keep the track playing first and hold every
// entry once, a new deal at each switch-on, and where the queue goes at its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "host/media/PlayOrder.h"

namespace {

using host::PlayOrder;
using Repeat = PlayOrder::Repeat;

std::vector<size_t> entries(const PlayOrder& order) {
  std::vector<size_t> all;
  for (size_t p = 0; p < order.count(); ++p) all.push_back(order.entryAt(p));
  return all;
}

TEST(PlayOrderTest, ShuffleDealsEveryEntryOnceWithThePlayingOneFirstAndDealsAnewEachTime) {
  PlayOrder order(7);
  order.resize(20);
  EXPECT_EQ(order.shuffle(true, size_t(12)), size_t(0));
  const std::vector<size_t> first = entries(order);
  EXPECT_EQ(first[0], 12u);
  std::vector<size_t> sorted = first, identity(20);
  std::sort(sorted.begin(), sorted.end());
  std::iota(identity.begin(), identity.end(), size_t(0));
  EXPECT_EQ(sorted, identity);
  EXPECT_NE(first, identity);
  // Off: the queue's order, going on after the entry playing; on again: another deal.
  EXPECT_EQ(order.shuffle(false, size_t(5)), first[5]);
  EXPECT_EQ(entries(order), identity);
  order.shuffle(true, first[5]);
  EXPECT_EQ(order.entryAt(0), first[5]);
  EXPECT_NE(entries(order), first);
  // Entries added while shuffled join the end.
  order.resize(22);
  EXPECT_EQ(order.entryAt(20), 20u);
  EXPECT_EQ(order.entryAt(21), 21u);
  // Starting again deals every entry, none kept first.
  order.restart();
  sorted = entries(order);
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted.size(), 22u);
  EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end());
}

TEST(PlayOrderTest, WhereTheQueueGoesAtATracksEndAndOnNextUnderEachRepeat) {
  PlayOrder order(1);
  order.resize(3);
  EXPECT_EQ(order.after(1, Repeat::Off, true), size_t(2));
  EXPECT_EQ(order.after(2, Repeat::Off, true), std::nullopt);
  EXPECT_EQ(order.after(2, Repeat::Off, false), std::nullopt);
  EXPECT_EQ(order.after(2, Repeat::All, true), size_t(0));
  EXPECT_EQ(order.after(1, Repeat::One, true), size_t(1));   // the track again
  EXPECT_EQ(order.after(1, Repeat::One, false), size_t(2));  // Next still moves on
  EXPECT_EQ(order.after(2, Repeat::One, false), size_t(0));
  EXPECT_EQ(PlayOrder().after(0, Repeat::All, true), std::nullopt);  // an empty queue has nowhere to go
}

}  // namespace
