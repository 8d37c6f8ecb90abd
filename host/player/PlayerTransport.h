// What the listener asks of the playing queue through the Now Playing screen, and what the
// screen shows of it. Both sides run on the main thread: the controls write requests, the media
// loop takes them between blocks and reports where it is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace host {

struct PlayerTransport {
  // Requests.
  bool paused = false;
  std::optional<double> seekTo;  // seconds into the current track
  int skip = 0;                  // tracks to move: +1 next, -1 previous (back to its start first)
  float volume = 1;              // the volume slider, 0 to 1
  enum class Repeat { Off, All, One } repeat = Repeat::Off;
  bool shuffle = false;
  int shuffleGeneration = 0;     // bumped each time shuffle is switched on: a new order

  // What plays.
  std::string title, artist;
  size_t index = 0, count = 0;  // the track's place in the queue
  double position = 0, duration = 0;  // seconds
  double limitingDb = 0;  // the speakers' limiter's gain reduction now; 0 while it does not act

  // The A/B comparison: Bypass (the equalizer's input) asked for, level-matched unless
  // unmatched (by default with --compare-unmatched), or Tunely again.
  bool compareOn = false;
  bool compareUnmatched = false;
  bool compareUnmatchedByDefault = false;
  void requestCompare(bool on, bool unmatched) {
    compareOn = on;
    if (on) compareUnmatched = unmatched || compareUnmatchedByDefault;
  }
  // What the screen says is heard; empty until the first comparison.
  std::string comparing;
};

// What the screen says while comparing: "Tunely", or "Bypass, level-matched −2.7 dB" (the gain
// on the input) or "Bypass, unmatched".
std::string comparisonLabel(bool bypass, bool matched, double gainDb);

// Where a skip request takes the queue from track `current`, `positionSeconds` into it: next
// goes `skip` tracks on (past the last one the queue has played out); previous goes back, except
// that a track played more than kRestartAfterSeconds restarts first, and the first track
// restarts.
struct SkipMove {
  bool restart = false;  // back to the start of the current track
  size_t track = 0;      // otherwise the queue's track to play next
};
inline constexpr double kRestartAfterSeconds = 3.0;
SkipMove resolveSkip(int skip, size_t current, double positionSeconds);

// "m:ss" (or "h:mm:ss") of whole seconds, rounded down.
std::string formatPlayTime(double seconds);

}  // namespace host
