#include "ControlsTestSupport.h"

namespace controls_test {

OBJC_CLASS_WITH_MEMBERS(ControlsActionLog, NSObject)

namespace {
void changed(id self, SEL, id sender) {
  auto* log = static_cast<ControlsActionLog*>(self);
  log->readings.push_back(log->read(sender));
}
void countCall(id self, SEL sel, id) { ++static_cast<ControlsActionLog*>(self)->delegateCalls[sel_getName(sel)]; }
}  // namespace

SEL ControlsActionLog::changedSelector() { return sel_registerName("changed:"); }

void ControlsActionLog::registerMembers(Class cls) {
  class_addMethod(cls, changedSelector(), &changed, "v@:@");
  for (const char* name : {"scrollViewDidScroll:", "scrollViewDidEndScrollingAnimation:", "scrollViewDidEndDecelerating:"})
    class_addMethod(cls, sel_registerName(name), &countCall, "v@:@");
}

void TouchTest::drag(CGPoint from, double dx, double dy, int steps) {
  down(from);
  for (int i = 1; i <= steps; ++i) move(CGPointMake(from.x + dx * i / steps, from.y + dy * i / steps));
  up(CGPointMake(from.x + dx, from.y + dy));
}

}  // namespace controls_test
