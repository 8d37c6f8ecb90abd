// A stand-in for the system in the host's own process: while it lives, every player item the
// player stores gets an audio mix with a pass-through tap that counts its life-cycle calls, so a
// test can see whether the player keeps a tap prepared.
#pragma once

#include <atomic>

namespace tunely_test {

class CountingTap {
 public:
  CountingTap();   // replaces MPAVItem's setPlayerItem: (registering the player's classes)
  ~CountingTap();  // puts the player's own method back
  CountingTap(const CountingTap&) = delete;
  CountingTap& operator=(const CountingTap&) = delete;

  static std::atomic<int> prepares, unprepares, finalizes;
};

}  // namespace tunely_test
