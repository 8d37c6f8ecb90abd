#include "host/script/ScriptRunner.h"

#include <algorithm>

namespace host {

// Steps run in file order; a step written with an earlier time than the one before it runs as
// soon as the steps before it have.
void ScriptRunner::runDue(double sessionSeconds) {
  while (next_ < script_.steps.size() && script_.steps[next_].time <= sessionSeconds) {
    const ScriptStep& step = script_.steps[next_++];
    const std::string why = actions_.perform(step, scale_);
    if (why.empty()) continue;
    ++failures_;
    std::string what = stepVerbName(step.verb);
    if (step.verb == StepVerb::Screenshot) what += " " + step.text;
    else if (step.verb == StepVerb::Compare) what += step.on ? " on" : " off";
    else what += step.target.quoted ? " \"" + step.target.text + "\"" : " " + step.target.text;
    std::fprintf(messages_, "tunely: %s:%d: %s: %s; skipped\n", script_.path.c_str(), step.line, what.c_str(),
                 why.c_str());
    std::fflush(messages_);
  }
}

std::optional<double> ScriptRunner::nextDue() const {
  if (finished()) return std::nullopt;
  return script_.steps[next_].time;
}

}  // namespace host
