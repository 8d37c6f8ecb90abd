#include "host/script/SessionScript.h"

#include "foundation/FileLayer.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "host/text/MessageText.h"

namespace host {
namespace {

constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string formatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", seconds);
  return text;
}

struct LineError {
  std::string message;
};

// Reads the words of a line: plain words end at white space, quoted ones at the closing quote
// (\" and \\ stand for themselves). A '#' outside quotes ends the line.
class LineReader {
 public:
  explicit LineReader(const std::string& text) : text_(text) {}

  bool atEnd() {
    skipSpace();
    return pos_ >= text_.size() || text_[pos_] == '#';
  }

  // The next word; throws when there is none.
  std::string word(const char* what, bool* quoted = nullptr) {
    if (atEnd()) throw LineError{std::string("missing ") + what};
    if (text_[pos_] == '"') {
      if (quoted) *quoted = true;
      return quotedText();
    }
    if (quoted) *quoted = false;
    const size_t start = pos_;
    while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])) && text_[pos_] != '#') ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // Everything left on the line, white space around it trimmed, or one quoted text.
  std::string rest(const char* what) {
    if (atEnd()) throw LineError{std::string("missing ") + what};
    if (text_[pos_] == '"') return quotedText();
    size_t end = text_.find('#', pos_);
    if (end == std::string::npos) end = text_.size();
    std::string s = text_.substr(pos_, end - pos_);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    pos_ = end;
    return s;
  }

 private:
  void skipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  std::string quotedText() {
    std::string out;
    for (++pos_; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (c == '"') {
        ++pos_;
        return out;
      }
      if (c == '\\' && pos_ + 1 < text_.size() && (text_[pos_ + 1] == '"' || text_[pos_ + 1] == '\\')) ++pos_;
      out += text_[pos_];
    }
    throw LineError{"a quoted text has no closing quote"};
  }

  const std::string& text_;
  size_t pos_ = 0;
};

// A number as people write it. One too small for a normal double (1e-320) is still a number,
// kept as the nearest one there is; one too large for a double is out of range, not "not a
// number"; "nan" and "inf" are refused.
double number(const std::string& word, const char* what) {
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (word.empty() || end != word.c_str() + word.size())
    throw LineError{std::string(what) + " " + quotedWord(word) + " is not a number"};
  if (!std::isfinite(v) && errno != ERANGE)
    throw LineError{std::string(what) + " " + quotedWord(word) + " is not a finite number"};
  if (errno == ERANGE && std::fabs(v) >= DBL_MIN)
    throw LineError{std::string(what) + " " + quotedWord(word) + " is out of range"};
  return v;
}

const std::map<std::string, StepVerb>& verbs() {
  static const std::map<std::string, StepVerb> map = {
      {"tap", StepVerb::Tap},         {"slide", StepVerb::Slide}, {"switch", StepVerb::Switch},
      {"segment", StepVerb::Segment}, {"type", StepVerb::Type},   {"delete", StepVerb::Delete},
      {"screenshot", StepVerb::Screenshot}, {"compare", StepVerb::Compare},
  };
  return map;
}

ScriptStep parseStep(const std::string& line, int number_) {
  LineReader in(line);
  ScriptStep step;
  step.line = number_;
  step.source = line;
  step.time = number(in.word("time"), "the time");
  if (step.time < 0) throw LineError{"the time must not be negative"};
  const std::string verb = in.word("verb");
  auto it = verbs().find(verb);
  if (it == verbs().end()) throw LineError{"unknown verb " + quotedWord(verb)};
  step.verb = it->second;
  if (step.verb == StepVerb::Screenshot) {
    step.text = in.rest("file name");
    if (step.text.size() < 5 || step.text.compare(step.text.size() - 4, 4, ".png") != 0)
      throw LineError{"a screenshot is written as a .png file"};
  } else if (step.verb == StepVerb::Compare) {
    std::string state = in.word("on or off");
    if (state == "on" && !in.atEnd()) state += " " + in.word("unmatched");
    if (state != "on" && state != "on unmatched" && state != "off")
      throw LineError{"a comparison is turned \"on\", \"on unmatched\" or \"off\", not \"" + state + "\""};
    step.on = state != "off";
    step.unmatched = state == "on unmatched";
  } else {
    step.target.text = in.word("target", &step.target.quoted);
    if (step.target.text.empty()) throw LineError{"the target is empty"};
    switch (step.verb) {
      case StepVerb::Slide: step.value = number(in.word("value"), "the value"); break;
      case StepVerb::Switch: {
        const std::string state = in.word("on or off");
        if (state != "on" && state != "off") throw LineError{"a switch is turned \"on\" or \"off\", not " + quotedWord(state)};
        step.on = state == "on";
        break;
      }
      case StepVerb::Segment: {
        const std::string word = in.word("segment index");
        const double index = number(word, "the segment index");
        if (index < 0 || index != std::floor(index)) throw LineError{"the segment index must be a whole number from 0"};
        // Converted only once it fits: 1e19 would not.
        if (index > INT_MAX) throw LineError{"the segment index " + quotedWord(word) + " is out of range"};
        step.index = long(index);
        break;
      }
      case StepVerb::Type: step.text = in.atEnd() ? std::string() : in.rest("text"); break;
      default: break;
    }
  }
  if (!in.atEnd()) throw LineError{"unexpected text after the step"};
  return step;
}

}  // namespace

const char* stepVerbName(StepVerb verb) {
  for (const auto& [name, v] : verbs())
    if (v == verb) return name.c_str();
  return "?";
}

// Every malformed line is reported, each with its number, so one run shows what to mend; past
// kMaxReportedLines they are only counted.
std::optional<SessionScript> parseSessionScript(const std::string& text, const std::string& name,
                                                std::string& error) {
  constexpr int kMaxReportedLines = 20;
  SessionScript script;
  script.path = name;
  std::istringstream lines(text);
  std::string line;
  std::vector<std::string> faults;
  int unreported = 0;
  const auto fault = [&](int number_, const std::string& message) {
    if (faults.size() < kMaxReportedLines)
      faults.push_back(printable(name) + ":" + std::to_string(number_) + ": " + message);
    else
      ++unreported;
  };
  for (int number_ = 1; std::getline(lines, line); ++number_) {
    // A byte-order mark some editors write at the start is not part of the first step.
    if (number_ == 1 && line.rfind(kUtf8ByteOrderMark, 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (LineReader(line).atEnd()) continue;  // blank or comment
    try {
      ScriptStep step = parseStep(line, number_);
      // Steps are written in time order: one earlier than the step before it would run late,
      // at the other's time, which is never what was meant.
      if (!script.steps.empty() && step.time < script.steps.back().time)
        throw LineError{"the time " + formatSeconds(step.time) + " is earlier than that of the step on line " +
                        std::to_string(script.steps.back().line) + " (" + formatSeconds(script.steps.back().time) +
                        "): steps are written in time order"};
      script.steps.push_back(std::move(step));
    } catch (const LineError& e) {
      fault(number_, e.message);
    }
  }
  if (faults.empty()) return script;
  error.clear();
  for (const std::string& f : faults) error += (error.empty() ? "" : "\n") + f;
  if (unreported > 0)
    error += "\n" + printable(name) + ": " + std::to_string(unreported) + " more malformed line" +
             (unreported == 1 ? "" : "s");
  return std::nullopt;
}

std::optional<SessionScript> readSessionScript(const std::string& path, std::string& error) {
  // Bounded, never blocking, regular files only: /dev/zero or a FIFO without a writer is
  // refused at once instead of filling memory or waiting before anything plays.
  std::string why;
  const auto bytes = FileReadAll(path, &why);
  if (!bytes) {
    error = "cannot read the script " + quotedPath(path) + ": " + why;
    return std::nullopt;
  }
  return parseSessionScript(std::string(bytes->begin(), bytes->end()), path, error);
}

}  // namespace host
