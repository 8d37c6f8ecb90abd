// A device root in a temporary folder with a key window on the 320 x 568 screen, and the run
// loop on a clock the test moves. Layout files are written into a bundle folder of the root.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/DeviceRoot.h"
#include "foundation/NSBundle.h"
#include "foundation/NSLog.h"
#include "foundation/NSRunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIWindow.h"

class UIKitFixture : public ::testing::Test {
 protected:
  static constexpr const char* kBundle = "/Library/Test Bundle";

  void SetUp() override {
    char pattern[] = "/tmp/tunely-uikit-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    DeviceRootSet(root_ = pattern);
    std::filesystem::create_directories(DevicePathToHost(kBundle));
    NSRunLoop::mainRunLoop()->setClock([this] { return now; });
    NSLogSetSink([this](const std::string& line) { log.push_back(line); });
    window = make<UIWindow>(CGRectMake(0, 0, 320, 568));
    window->makeKeyAndVisible();
  }

  void TearDown() override {
    now += 1e6;  // let leftover timers run while everything still exists
    NSRunLoop::mainRunLoop()->fireDueTimers();
    window = nullptr;
    NSRunLoop::mainRunLoop()->setClock(nullptr);
    NSLogSetSink(nullptr);
    std::filesystem::remove_all(root_);
  }

  // Writes "<name>.plist" into the test bundle with the XML between the plist tags.
  void writeLayout(const std::string& name, const std::string& body) {
    std::ofstream(DevicePathToHost(std::string(kBundle) + "/" + name + ".plist"))
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" << body << "\n</plist>\n";
  }
  Ref<NSBundle> bundle() const { return NSBundle::bundleWithPath(kBundle); }

  // A finger going down, moving and lifting, in window coordinates.
  static UIView* touch(UITouchPhase phase, double x, double y) {
    return UIApplication::sharedApplication()->handleTouch(phase, CGPointMake(x, y));
  }
  static void tap(double x, double y) {
    touch(UITouchPhase::Began, x, y);
    touch(UITouchPhase::Ended, x, y);
  }
  void advance(double seconds) {
    now += seconds;
    NSRunLoop::mainRunLoop()->fireDueTimers();
  }

  double now = 1000;
  std::vector<std::string> log;
  Ref<UIWindow> window;
  std::string root_;
};
