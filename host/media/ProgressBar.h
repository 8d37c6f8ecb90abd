// A one-line progress bar on standard error, drawn only when standard error is a terminal (so
// logs and pipes stay clean). Redraws at most every 1/20 of the whole.
#pragma once

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
  int drawnStep_ = -1;
  bool drawn_ = false;
};

}  // namespace host
