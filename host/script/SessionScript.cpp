#include "host/script/SessionScript.h"

#include "foundation/FileLayer.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace host {
namespace {

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

double number(const std::string& word, const char* what) {
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (word.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v))
    throw LineError{std::string(what) + " \"" + word + "\" is not a number"};
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
  if (it == verbs().end()) throw LineError{"unknown verb \"" + verb + "\""};
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
        if (state != "on" && state != "off") throw LineError{"a switch is turned \"on\" or \"off\", not \"" + state + "\""};
        step.on = state == "on";
        break;
      }
      case StepVerb::Segment: {
        const double index = number(in.word("segment index"), "the segment index");
        if (index < 0 || index != std::floor(index)) throw LineError{"the segment index must be a whole number from 0"};
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

std::optional<SessionScript> parseSessionScript(const std::string& text, const std::string& name,
                                                std::string& error) {
  SessionScript script;
  script.path = name;
  std::istringstream lines(text);
  std::string line;
  for (int number_ = 1; std::getline(lines, line); ++number_) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (LineReader(line).atEnd()) continue;  // blank or comment
    try {
      script.steps.push_back(parseStep(line, number_));
    } catch (const LineError& e) {
      error = name + ":" + std::to_string(number_) + ": " + e.message;
      return std::nullopt;
    }
  }
  return script;
}

std::optional<SessionScript> readSessionScript(const std::string& path, std::string& error) {
  // Bounded, never blocking, regular files only: /dev/zero or a FIFO without a writer is
  // refused at once instead of filling memory or waiting before anything plays.
  std::string why;
  const auto bytes = FileReadAll(path, &why);
  if (!bytes) {
    error = "cannot read the script \"" + path + "\": " + why;
    return std::nullopt;
  }
  return parseSessionScript(std::string(bytes->begin(), bytes->end()), path, error);
}

}  // namespace host
