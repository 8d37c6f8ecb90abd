// What the control tests share: a key window that takes touches as a user gives them, on a
// run loop clock the test sets, and an object that records the actions controls send it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "foundation/NSRunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIControl.h"
#include "uikit/UIWindow.h"

namespace controls_test {

// A target whose `changed:` (v@:@) records a reading of the sender each time it is sent, and a
// delegate that counts the scroll view messages it answers.
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

class TouchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  UIView* down(CGPoint p) { return UIApplication::sharedApplication()->handleTouch(UITouchPhase::Began, p); }
  UIView* move(CGPoint p) { return UIApplication::sharedApplication()->handleTouch(UITouchPhase::Moved, p); }
  UIView* up(CGPoint p) { return UIApplication::sharedApplication()->handleTouch(UITouchPhase::Ended, p); }
  void tap(CGPoint p) {
    down(p);
    up(p);
  }
  // A drag from `from` by (dx, dy) in `steps` equal moves, lifting at the end.
  void drag(CGPoint from, double dx, double dy, int steps = 4);
  // The centre of a view (or of a rectangle in its bounds) in the window's coordinates.
  static CGPoint centreOf(const UIView* view);
  static CGPoint centreOf(const UIView* view, CGRect rect);
  void listenForValueChanged(UIControl* control, std::function<double(id)> read);
  // Moves the run loop's clock and fires the timers that fell due.
  void advance(double seconds);

  double now = 100;
  Ref<UIWindow> window;
  Ref<ControlsActionLog> log;
};

}  // namespace controls_test
