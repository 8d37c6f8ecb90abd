#include "host/script/ScreenActions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "host/text/MessageText.h"

#include "uikit/UIActionSheet.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UISegmentedControl.h"
#include "uikit/UISlider.h"
#include "uikit/UISwitch.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UITextField.h"

namespace host {
namespace {

UIApplication* app() { return UIApplication::sharedApplication(); }

void touch(UITouchPhase phase, CGPoint p) { app()->handleTouch(phase, p); }

bool matches(const UIView* view, const ScriptTarget& target) {
  if (!target.quoted) return view->accessibilityIdentifier() == target.text;
  if (const auto* button = dynamic_cast<const UIButton*>(view)) return button->currentTitle() == target.text;
  if (const auto* cell = dynamic_cast<const UITableViewCell*>(view))
    return cell->textLabel() && cell->textLabel()->text() == target.text;
  return false;
}

// Whether nothing up the chain hides the view or makes it see-through.
bool shown(const UIView* view) {
  for (const UIView* v = view; v != nullptr; v = v->superview())
    if (v->isHidden() || v->alpha() < 0.01) return false;
  return true;
}

// The part of the view a finger can reach, in window coordinates: its frame cut by every
// clipping view above it and by the window.
CGRect reachableRect(const UIView* view, const UIWindow* window) {
  CGRect r = view->convertRectToView(view->bounds(), nullptr);
  for (const UIView* v = view->superview(); v != nullptr; v = v->superview())
    if (v->clipsToBounds()) r = CGRectIntersection(r, v->convertRectToView(v->bounds(), nullptr));
  return CGRectIntersection(r, window->bounds());
}

// Depth first, front to back: subviews in front of their superview, later siblings in front.
void frontToBack(UIView* view, const std::function<bool(UIView*)>& visit, bool& stop) {
  const auto& subs = view->allSubviews();
  for (auto it = subs.rbegin(); it != subs.rend() && !stop; ++it) frontToBack(it->get(), visit, stop);
  if (!stop) stop = visit(view);
}

std::string describe(const UIView* view) {
  std::string s = class_getName(view->isa);
  if (!view->accessibilityIdentifier().empty()) s += " " + quotedWord(view->accessibilityIdentifier());
  else if (const auto* b = dynamic_cast<const UIButton*>(view); b && !b->currentTitle().empty())
    s += " " + quotedWord(b->currentTitle());
  return s;
}

// A drag as a finger makes it: down, a few moves, up.
void drag(CGPoint from, CGPoint to, int moves) {
  touch(UITouchPhase::Began, from);
  for (int i = 1; i <= moves; ++i) {
    const double t = double(i) / moves;
    touch(UITouchPhase::Moved, CGPointMake(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t));
  }
  touch(UITouchPhase::Ended, to);
}

template <class T>
T* asKind(UIView* view, const char* kind, std::string& why) {
  auto* typed = dynamic_cast<T*>(view);
  if (typed == nullptr) why = std::string("is not a ") + kind + " but a " + class_getName(view->isa);
  return typed;
}

}  // namespace

UIView* ScreenActions::find(const ScriptTarget& target, std::string& why) const {
  window_->layoutIfNeeded();
  UIView* found = nullptr;
  bool anyMatch = false;
  bool stop = false;
  frontToBack(window_, [&](UIView* v) {
    if (!matches(v, target)) return false;
    anyMatch = true;
    if (!shown(v) || CGRectIsEmpty(reachableRect(v, window_))) return false;
    found = v;
    return true;
  }, stop);
  if (found == nullptr && !anyMatch && !target.quoted) {
    auto alias = aliases_.find(target.text);
    if (alias != aliases_.end()) {
      if (UIView* v = alias->second(); v && v->window() == window_) {
        anyMatch = true;
        if (shown(v) && !CGRectIsEmpty(reachableRect(v, window_))) found = v;
      }
    }
  }
  if (found == nullptr) why = anyMatch ? "is hidden or out of sight" : "no such target on screen";
  return found;
}

bool ScreenActions::touchPoint(UIView* view, CGPoint& point, std::string& why) const {
  const CGRect reach = reachableRect(view, window_);
  const CGPoint centre = view->convertPointToView(CGPointMake(CGRectGetMidX(view->bounds()), CGRectGetMidY(view->bounds())), nullptr);
  // The touch reaches the view when it lands on it, inside it, or on a view that contains it
  // and handles its touches (a table for its rows).
  auto reaches = [&](CGPoint p, UIView** hitOut) {
    UIView* hit = window_->hitTest(p, nullptr);
    if (hitOut) *hitOut = hit;
    return hit != nullptr && (hit->isDescendantOfView(view) || view->isDescendantOfView(hit));
  };
  point = CGRectContainsPoint(reach, centre) ? centre : CGPointMake(CGRectGetMidX(reach), CGRectGetMidY(reach));
  UIView* cover = nullptr;
  if (reaches(point, &cover)) return true;
  // Partly covered: a finger goes for the part that shows, as near the centre as it can.
  constexpr double kStep = 2;
  std::optional<CGPoint> best;
  double bestDistance = 0;
  for (double y = CGRectGetMinY(reach) + kStep / 2; y < CGRectGetMaxY(reach); y += kStep)
    for (double x = CGRectGetMinX(reach) + kStep / 2; x < CGRectGetMaxX(reach); x += kStep) {
      const double d = (x - point.x) * (x - point.x) + (y - point.y) * (y - point.y);
      if ((!best || d < bestDistance) && reaches(CGPointMake(x, y), nullptr)) {
        best = CGPointMake(x, y);
        bestDistance = d;
      }
    }
  if (best) {
    point = *best;
    return true;
  }
  why = "is covered by " + (cover ? describe(cover) : std::string("nothing that takes touches"));
  return false;
}

std::string ScreenActions::tapView(UIView* view) {
  CGPoint p;
  std::string why;
  if (!touchPoint(view, p, why)) return why;
  touch(UITouchPhase::Began, p);
  touch(UITouchPhase::Ended, p);
  return {};
}

std::string ScreenActions::tap(const ScriptTarget& target) {
  std::string why;
  UIView* view = find(target, why);
  return view ? tapView(view) : why;
}

std::string ScreenActions::slide(const ScriptTarget& target, double value) {
  std::string why;
  UIView* view = find(target, why);
  auto* slider = view ? asKind<UISlider>(view, "slider", why) : nullptr;
  if (slider == nullptr) return why;
  // A value the slider cannot take is the script's mistake: sliding to the end instead would
  // carry out something else than what was written.
  if (value < slider->minimumValue() || value > slider->maximumValue()) {
    char range[96];
    std::snprintf(range, sizeof range, "%g is outside the slider's range, %g to %g", value,
                  double(slider->minimumValue()), double(slider->maximumValue()));
    return range;
  }
  return slideTo(slider, value);
}

std::string ScreenActions::slideTo(UISlider* slider, double value) {
  std::string why;
  CGPoint ignored;
  if (!touchPoint(slider, ignored, why)) return why;
  const CGRect b = slider->bounds();
  const CGRect track = slider->trackRectForBounds(b);
  const float to = std::clamp(float(value), slider->minimumValue(), slider->maximumValue());
  auto thumbCentre = [&](float v) {
    const CGRect thumb = slider->thumbRectForBounds(b, track, v);
    return slider->convertPointToView(CGPointMake(CGRectGetMidX(thumb), CGRectGetMidY(thumb)), nullptr);
  };
  // The finger takes the thumb where it sits and lets go where the value is.
  drag(thumbCentre(slider->value()), thumbCentre(to), 4);
  return {};
}

std::string ScreenActions::setSwitch(const ScriptTarget& target, bool on) {
  std::string why;
  UIView* view = find(target, why);
  auto* toggle = view ? asKind<UISwitch>(view, "switch", why) : nullptr;
  if (toggle == nullptr) return why;
  return toggle->isOn() == on ? std::string() : tapView(toggle);
}

std::string ScreenActions::selectSegment(const ScriptTarget& target, long index) {
  std::string why;
  UIView* view = find(target, why);
  auto* control = view ? asKind<UISegmentedControl>(view, "segmented control", why) : nullptr;
  if (control == nullptr) return why;
  if (index < 0 || NSUInteger(index) >= NSUInteger(control->numberOfSegments()))
    return "has no segment " + std::to_string(index);
  CGPoint ignored;
  if (!touchPoint(control, ignored, why)) return why;
  const CGRect segment = control->rectForSegmentAtIndex(NSUInteger(index));
  const CGPoint p = control->convertPointToView(CGPointMake(CGRectGetMidX(segment), CGRectGetMidY(segment)), nullptr);
  touch(UITouchPhase::Began, p);
  touch(UITouchPhase::Ended, p);
  return {};
}

std::string ScreenActions::type(const ScriptTarget& target, const std::string& text) {
  std::string why;
  UIView* view = find(target, why);
  auto* field = view ? asKind<UITextField>(view, "text field", why) : nullptr;
  if (field == nullptr) return why;
  if (std::string tapped = tapView(field); !tapped.empty()) return tapped;
  if (!field->isFirstResponder()) return "did not take the keyboard";
  // Clear what is there one character at a time, as the keyboard would, then type.
  for (size_t guard = field->text().size() + 1; !field->text().empty() && guard > 0; --guard) app()->handleKeyBackspace();
  if (!text.empty()) app()->handleKeyText(text);
  return {};
}

std::string ScreenActions::deleteRow(const ScriptTarget& target) {
  std::string why;
  UIView* view = find(target, why);
  auto* cell = view ? asKind<UITableViewCell>(view, "table row", why) : nullptr;
  if (cell == nullptr) return why;
  CGPoint centre;
  if (!touchPoint(cell, centre, why)) return why;
  // A quick swipe to the left across the row.
  const CGRect row = reachableRect(cell, window_);
  const CGPoint from = CGPointMake(CGRectGetMaxX(row) - 20, centre.y);
  drag(from, CGPointMake(from.x - std::min(160.0, row.size.width * 0.6), centre.y), 4);
  UIView* button = nullptr;
  bool stop = false;
  frontToBack(cell, [&](UIView* v) {
    auto* b = dynamic_cast<UIButton*>(v);
    if (b == nullptr || b->currentTitle() != "Delete" || !shown(b)) return false;
    button = b;
    return true;
  }, stop);
  if (button == nullptr) return "showed no Delete button when swiped";
  return tapView(button);
}

std::string ScreenActions::screenshot(const std::string& file, double scale) {
  std::string error;
  if (!window_->writePNG(file, scale, error)) return "cannot write " + quotedPath(file) + ": " + error;
  return {};
}

bool ScreenActions::cancelFrontmost() {
  window_->layoutIfNeeded();
  UIView* cancel = nullptr;
  bool stop = false;
  frontToBack(window_, [&](UIView* v) {
    if (!shown(v)) return false;
    if (auto* alert = dynamic_cast<UIAlertView*>(v); alert && alert->isVisible())
      cancel = alert->buttonAtIndex(alert->cancelButtonIndex());
    else if (auto* sheet = dynamic_cast<UIActionSheet*>(v); sheet && sheet->isVisible())
      cancel = sheet->buttonAtIndex(sheet->cancelButtonIndex());
    else if (v->accessibilityIdentifier() == "cancelButton" && !CGRectIsEmpty(reachableRect(v, window_)))
      cancel = v;
    else
      return false;
    return true;  // the frontmost of them answers, with a cancel button or without one
  }, stop);
  return cancel != nullptr && tapView(cancel).empty();
}

bool ScreenActions::nudgeSliderAt(CGPoint point, int notches) {
  window_->layoutIfNeeded();
  UISlider* slider = nullptr;
  for (UIView* v = window_->hitTest(point, nullptr); v != nullptr && slider == nullptr; v = v->superview())
    slider = dynamic_cast<UISlider*>(v);
  if (slider == nullptr || !slider->isEnabled()) return false;
  const double step = (slider->maximumValue() - slider->minimumValue()) / 50.0;
  return slideTo(slider, slider->value() + step * notches).empty();
}

bool ScreenActions::typeIntoLoneField(const std::string& text) {
  window_->layoutIfNeeded();
  UITextField* lone = nullptr;
  int count = 0;
  bool stop = false;
  frontToBack(window_, [&](UIView* v) {
    auto* field = dynamic_cast<UITextField*>(v);
    if (field && shown(field) && !CGRectIsEmpty(reachableRect(field, window_))) {
      lone = field;
      ++count;
    }
    return false;
  }, stop);
  if (count != 1 || !tapView(lone).empty() || !lone->isFirstResponder()) return false;
  app()->handleKeyText(text);
  return true;
}

bool ScreenActions::closeWhatIsOpen() {
  // Each tap takes one thing off the screen; the bound only guards against one that stays.
  for (int i = 0; i < 8 && cancelFrontmost(); ++i) {
  }
  return tap(ScriptTarget{"Done", true}).empty();
}

std::string ScreenActions::perform(const ScriptStep& step, double scale) {
  switch (step.verb) {
    case StepVerb::Tap: return tap(step.target);
    case StepVerb::Slide: return slide(step.target, step.value);
    case StepVerb::Switch: return setSwitch(step.target, step.on);
    case StepVerb::Segment: return selectSegment(step.target, step.index);
    case StepVerb::Type: return type(step.target, step.text);
    case StepVerb::Delete: return deleteRow(step.target);
    case StepVerb::Screenshot: return screenshot(step.text, scale);
    case StepVerb::Compare:
      if (!compare) return "this session has no comparison";
      compare(step.on, step.unmatched);
      return "";
  }
  return "unknown step";
}

}  // namespace host
