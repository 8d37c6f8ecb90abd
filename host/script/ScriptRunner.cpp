#include "host/script/ScriptRunner.h"

#include <algorithm>

#include "host/text/MessageText.h"

namespace host {

// Steps run in file order; a step written with an earlier time than the one before it runs as
// soon as the steps before it have.
void ScriptRunner::runDue(double sessionSeconds) {
  lastTurn_ = std::max(lastTurn_, sessionSeconds);
  while (next_ < script_.steps.size() && script_.steps[next_].time <= sessionSeconds) {
    const ScriptStep& step = script_.steps[next_++];
    const std::string why = actions_.perform(step, scale_);
    if (why.empty()) continue;
    ++failures_;
    std::fprintf(messages_, "tunely: %s:%d: %s: %s; skipped\n", printable(script_.path).c_str(), step.line,
                 describeStep(step).c_str(), why.c_str());
    std::fflush(messages_);
  }
}

std::string ScriptRunner::describeStep(const ScriptStep& step) {
  std::string what = stepVerbName(step.verb);
  if (step.verb == StepVerb::Screenshot) what += " " + quotedPath(step.text);
  else if (step.verb == StepVerb::Compare) what += step.on ? " on" : " off";
  else what += " " + (step.target.quoted ? quotedWord(step.target.text) : printable(step.target.text, kMessageWordChars));
  return what;
}

int ScriptRunner::reportStepsNotReached(double endSeconds) {
  const int left = int(script_.steps.size() - next_);
  for (size_t i = next_; i < script_.steps.size(); ++i) {
    const ScriptStep& step = script_.steps[i];
    char when[96];
    std::snprintf(when, sizeof when, "timed at %g s, after the session ended at %.2f s; it never ran", step.time,
                  endSeconds);
    std::fprintf(messages_, "tunely: %s:%d: %s: %s\n", printable(script_.path).c_str(), step.line,
                 describeStep(step).c_str(), when);
  }
  std::fflush(messages_);
  failures_ += left;
  next_ = script_.steps.size();
  return left;
}

std::optional<double> ScriptRunner::nextDue() const {
  if (finished()) return std::nullopt;
  return script_.steps[next_].time;
}

}  // namespace host
