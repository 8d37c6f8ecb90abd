// A one-line progress bar on standard error, drawn only when standard error is a terminal (so
// logs and pipes stay clean): how far the render is and how fast it goes (seconds of audio per
// second of wall time). Redraws at most every 1/20 of the whole.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace host {

class ProgressBar {
 public:
  // `totalSeconds` of audio in the whole queue; `enabled` false draws nothing.
  ProgressBar(double totalSeconds, bool enabled);
  static bool standardErrorIsTerminal();

  void update(double seconds, const std::string& label);
  void done();  // clears the line

 private:
  double total_;
  bool enabled_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  int drawnStep_ = -1;
  bool drawn_ = false;
};

}  // namespace host
