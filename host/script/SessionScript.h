// A scripted session: steps that work the player's screen at given times, for demos, bug reports
// and tests. One step a line, "TIME VERB ARGS", '#' starting a comment outside quotes:
//   2.0 tap eq-button              a touch down and up at the target's centre
//   2.5 slide gainSlider 12        a drag of a slider's thumb ending at the value
//   3.0 switch powerSwitch on      a tap on a switch when its state differs
//   3.1 segment typeControl 0      a tap on that segment
//   4.0 type nameField "My bass "  focus a text field and replace its text (quotes keep spaces)
//   4.5 delete "Rock"              a swipe on a table row, then a tap on its Delete button
//   5.0 screenshot panel.png       the screen as drawn, at the window's scale
//   6.0 compare on                 Bypass heard, level-matched ("on unmatched": without the
//                                  gain); "compare off": Tunely again
// TIME is seconds of session time. TARGET is a name the layout gives a view, a name the player
// gives its own controls, or a "quoted text": a button's, item's or table row's text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host {

enum class StepVerb { Tap, Slide, Switch, Segment, Type, Delete, Screenshot, Compare };

struct ScriptTarget {
  std::string text;
  bool quoted = false;  // a text to look for, rather than a name
};

struct ScriptStep {
  int line = 0;
  double time = 0;
  StepVerb verb = StepVerb::Tap;
  ScriptTarget target;      // all but screenshot
  double value = 0;         // slide
  bool on = false;          // switch, compare
  bool unmatched = false;   // compare on
  long index = 0;           // segment
  std::string text;         // type: the new text; screenshot: the file
  std::string source;       // the line as written, for messages
};

struct SessionScript {
  std::string path;
  std::vector<ScriptStep> steps;  // in file order
};

// Reads a script; a line that cannot be read refuses the whole script, with a message naming
// the file and the line ("demo.script:3: unknown verb \"tapp\"").
std::optional<SessionScript> readSessionScript(const std::string& path, std::string& error);
// The same, from text (for messages the file is called `name`).
std::optional<SessionScript> parseSessionScript(const std::string& text, const std::string& name,
                                                std::string& error);

const char* stepVerbName(StepVerb verb);

}  // namespace host
