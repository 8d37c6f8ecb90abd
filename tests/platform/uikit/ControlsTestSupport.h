// What the control tests add to the UIKit fixture: touches given as points, drags, and an object
// that records the actions controls send it and the scroll view messages it answers.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "UIKitFixture.h"
#include "uikit/UIControl.h"

namespace controls_test {

// A target whose `changed:` (v@:@) records a reading of the sender each time it is sent, and a
// delegate that counts the scroll view messages it is sent.
class ControlsActionLog : public NSObject {
 public:
  static Class runtimeClass();  // "ControlsActionLog"
  static void registerMembers(Class cls);
  static SEL changedSelector();

  std::function<double(id sender)> read = [](id) { return 0.0; };
  std::vector<double> readings;
  std::map<std::string, int> delegateCalls;
  size_t count() const { return readings.size(); }
};

class TouchTest : public UIKitFixture {
 protected:
  void SetUp() override {
    UIKitFixture::SetUp();
    actions = make<ControlsActionLog>();
  }

  using UIKitFixture::tap;
  static UIView* down(CGPoint p) { return touch(UITouchPhase::Began, p.x, p.y); }
  static UIView* move(CGPoint p) { return touch(UITouchPhase::Moved, p.x, p.y); }
  static UIView* up(CGPoint p) { return touch(UITouchPhase::Ended, p.x, p.y); }
  static void tap(CGPoint p) { tap(p.x, p.y); }
  // A drag from `from` by (dx, dy) in `steps` equal moves, lifting at the end.
  static void drag(CGPoint from, double dx, double dy, int steps = 4);
  // The centre of a view (or of a rectangle in its bounds) in the window's coordinates.
  static CGPoint centreOf(const UIView* view) { return centreOf(view, view->bounds()); }
  static CGPoint centreOf(const UIView* view, CGRect rect) {
    return view->convertPointToView(CGPointMake(CGRectGetMidX(rect), CGRectGetMidY(rect)), nullptr);
  }
  void listenForValueChanged(UIControl* control, std::function<double(id)> read) {
    actions->read = std::move(read);
    control->addTarget(actions.get(), ControlsActionLog::changedSelector(), UIControlEventValueChanged);
  }

  Ref<ControlsActionLog> actions;
};

}  // namespace controls_test
