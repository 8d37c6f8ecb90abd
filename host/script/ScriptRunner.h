// Carries out a session script as its time comes: at each turn of the main thread, every step
// due at or before the session's time, in file order. A step that cannot be carried out prints
// why, naming the script's line, and the session goes on; the session's exit status then says
// that something failed.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "host/script/ScreenActions.h"
#include "host/script/SessionScript.h"

namespace host {

class ScriptRunner {
 public:
  // `scale` is the pixels per point of screenshots.
  ScriptRunner(SessionScript script, ScreenActions& actions, double scale, std::FILE* messages = stderr)
      : script_(std::move(script)), actions_(actions), scale_(scale), messages_(messages) {}

  void runDue(double sessionSeconds);
  // When the next step falls due; none when every step has run.
  std::optional<double> nextDue() const;
  bool finished() const { return next_ >= script_.steps.size(); }
  bool anyFailed() const { return failures_ > 0; }
  int failures() const { return failures_; }
  // The session has ended at `endSeconds` (the audio ran out) with steps still to come: each is
  // reported with its line, as a failure, for a step such as a "Done" that saves must not
  // silently not happen. Returns how many.
  int reportStepsNotReached(double endSeconds);
  // The last session time steps were run at.
  double lastTurn() const { return lastTurn_; }

 private:
  SessionScript script_;
  ScreenActions& actions_;
  double scale_;
  std::FILE* messages_;
  static std::string describeStep(const ScriptStep& step);

  size_t next_ = 0;  // steps before it have run
  double lastTurn_ = 0;
  int failures_ = 0;
};

}  // namespace host
