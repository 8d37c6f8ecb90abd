// What a script step (or a test) does to the screen, the way a finger would: find the view a
// target names, then deliver touches and keys through the application's one input path, so a
// scripted session and a person at the window work the same code.
//
// A target is a name (a view's accessibilityIdentifier, given by a layout or by the player, or
// an alias the player defines, such as "eq-button") or a quoted text (a button's or bar item's
// title, an action-sheet or alert button, a table row's text). The frontmost visible match
// wins. Views are found where they are going to be: an animating view at its final frame, as
// the platform's hit-testing finds it.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "host/script/SessionScript.h"
#include "uikit/UISlider.h"
#include "uikit/UIWindow.h"

namespace host {

class ScreenActions {
 public:
  // Names the player gives views it makes itself, looked up when the tree has no such name.
  using Alias = std::function<UIView*()>;

  explicit ScreenActions(UIWindow* window) : window_(window) {}
  void addAlias(const std::string& name, Alias find) { aliases_[name] = std::move(find); }
  // What a "compare" step asks of the player: Bypass (level-matched unless `unmatched`) or not.
  std::function<void(bool on, bool unmatched)> compare;

  // Each answers "" when done, else why it could not be done ("no such target on screen").
  std::string tap(const ScriptTarget& target);
  std::string slide(const ScriptTarget& target, double value);
  std::string setSwitch(const ScriptTarget& target, bool on);
  std::string selectSegment(const ScriptTarget& target, long index);
  std::string type(const ScriptTarget& target, const std::string& text);
  std::string deleteRow(const ScriptTarget& target);
  std::string screenshot(const std::string& file, double scale);
  // Carries out one script step.
  std::string perform(const ScriptStep& step, double scale);

  // The frontmost visible view the target names; nil with the reason.
  UIView* find(const ScriptTarget& target, std::string& why) const;

  // Taps the cancel button of what sits in front: an alert, an action sheet, or a dialog's bar
  // (its "cancelButton"), as a finger would. False when nothing of the kind is on screen.
  bool cancelFrontmost();
  // Closes what the listener left open as their own taps would: every alert, sheet and dialog
  // cancelled, front first, then the equalizer panel closed with its "Done" (so the system
  // saves its last state itself). True when a panel was closed.
  bool closeWhatIsOpen();
  // The mouse wheel over `point`: a slider there moves by `notches` small steps (a fiftieth of
  // its range each), by a drag of its thumb as a finger would. False when no slider is there.
  bool nudgeSliderAt(CGPoint point, int notches);
  // Typing with no field holding the keyboard: when exactly one text field is on screen, it is
  // tapped (taking the keyboard) and gets the text. False when there is not exactly one.
  bool typeIntoLoneField(const std::string& text);

 private:
  // Where a touch on the view lands, in the window; false (with the reason) when another view
  // covers that point.
  bool touchPoint(UIView* view, CGPoint& point, std::string& why) const;
  std::string tapView(UIView* view);
  std::string slideTo(UISlider* slider, double value);

  UIWindow* window_;
  std::map<std::string, Alias> aliases_;
};

}  // namespace host
