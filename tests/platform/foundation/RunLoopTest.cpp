// Timers on the main run loop: due times, firing order, retention of the target, invalidation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/NSRunLoop.h"
#include "foundation/NSTimer.h"

namespace {

struct Recorder : NSObject {
  std::string name;
  std::vector<std::string>* log = nullptr;
  id lastTimer = nullptr;
  static inline int alive = 0;
  Recorder() { ++alive; }
  ~Recorder() override { --alive; }
};

void ping(id self, SEL) {
  auto* r = static_cast<Recorder*>(self);
  r->log->push_back(r->name);
}
void pingWithTimer(id self, SEL, id timer) {
  auto* r = static_cast<Recorder*>(self);
  r->lastTimer = timer;
  r->log->push_back(r->name + "+timer");
}

Class recorderClass() {
  static Class cls = [] {
    Class c = objc_registerClass("RunLoopRecorder", objc_rootClass());
    class_addMethod(c, sel_registerName("ping"), &ping, "v@:");
    class_addMethod(c, sel_registerName("pingWithTimer:"), &pingWithTimer, "v@:@");
    return c;
  }();
  return cls;
}

class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loop->setClock([this] { return now; });
  }
  void TearDown() override {
    now = 1e9;  // lets every leftover timer go
    loop->fireDueTimers();
    loop->setClock(nullptr);
  }
  Ref<Recorder> recorder(const std::string& name) {
    auto r = objc_make<Recorder>(recorderClass());
    r->name = name;
    r->log = &log;
    return r;
  }

  NSRunLoop* loop = NSRunLoop::mainRunLoop();
  double now = 100.0;
  std::vector<std::string> log;
};

TEST_F(RunLoopTest, FiresDueTimersInDueOrderThenScheduleOrder) {
  auto a = recorder("a"), b = recorder("b"), c = recorder("c"), d = recorder("d");
  auto late = NSTimer::scheduledTimerWithTimeInterval(2.0, a.get(), sel_registerName("ping"), nil, false);
  NSTimer::scheduledTimerWithTimeInterval(1.0, b.get(), sel_registerName("ping"), nil, false);
  NSTimer::scheduledTimerWithTimeInterval(2.0, c.get(), sel_registerName("ping"), nil, false);
  NSTimer::scheduledTimerWithTimeInterval(3.0, d.get(), sel_registerName("ping"), nil, false);
  EXPECT_EQ(late->fireDate(), 102.0);
  EXPECT_EQ(loop->nextFireDate(), 101.0);

  now = 101.999;
  loop->fireDueTimers();
  EXPECT_EQ(log, (std::vector<std::string>{"b"}));
  now = 102.0;  // due exactly now: fires
  loop->fireDueTimers();
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_FALSE(late->isValid());
  EXPECT_EQ(loop->nextFireDate(), 103.0);
}

TEST_F(RunLoopTest, OneShotTimerHoldsItsTargetUntilItFires) {
  const int aliveBefore = Recorder::alive;
  {
    auto r = recorder("held");
    NSTimer::scheduledTimerWithTimeInterval(2.0, r.get(), sel_registerName("ping"), nil, false);
  }
  EXPECT_EQ(Recorder::alive, aliveBefore + 1);
  now = 102.0;
  loop->fireDueTimers();
  EXPECT_EQ(log, (std::vector<std::string>{"held"}));
  EXPECT_EQ(Recorder::alive, aliveBefore);
  EXPECT_EQ(loop->nextFireDate(), std::nullopt);
}

TEST_F(RunLoopTest, InvalidatedTimerNeverFiresAndLetsGoOfItsTarget) {
  const int aliveBefore = Recorder::alive;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, recorder("never").get(),
                                                       sel_registerName("ping"), nil, false);
  timer->invalidate();
  EXPECT_EQ(Recorder::alive, aliveBefore);
  now = 200.0;
  loop->fireDueTimers();
  EXPECT_TRUE(log.empty());
}

TEST_F(RunLoopTest, RepeatingTimerComesBackAndMayTakeTheTimer) {
  auto r = recorder("r");
  auto timer = NSTimer::scheduledTimerWithTimeInterval(0.5, r.get(), sel_registerName("pingWithTimer:"),
                                                       nil, true);
  now = 100.5;
  loop->fireDueTimers();
  EXPECT_EQ(r->lastTimer, timer.get());
  EXPECT_EQ(timer->fireDate(), 101.0);
  now = 102.2;  // missed firings are not made up: one firing, then the next due time ahead
  loop->fireDueTimers();
  EXPECT_EQ(log.size(), 2u);
  EXPECT_EQ(timer->fireDate(), 102.5);
  timer->invalidate();
}

TEST_F(RunLoopTest, NonPositiveIntervalWaitsForTheNextTurn) {
  auto r = recorder("soon");
  NSTimer::scheduledTimerWithTimeInterval(0.0, r.get(), sel_registerName("ping"), nil, false);
  loop->fireDueTimers();
  EXPECT_TRUE(log.empty());
  now += 0.0001;
  loop->fireDueTimers();
  EXPECT_EQ(log.size(), 1u);
}

}  // namespace
