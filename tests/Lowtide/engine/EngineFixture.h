// Every engine test starts from the state of a freshly loaded library and sees the log lines
// written while it runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"
#include "foundation/NSLog.h"

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lowtide::resetEngineForTesting();
    previousSink_ = NSLogSetSink([this](const std::string& line) {
      std::lock_guard lock(logMutex_);
      log_.push_back(line);
    });
  }
  void TearDown() override {
    NSLogSetSink(previousSink_);
    lowtide::resetEngineForTesting();
  }

  // The lines logged so far, those the audio thread queued included.
  std::vector<std::string> logLines() {
    NSLogFlush();
    std::lock_guard lock(logMutex_);
    return log_;
  }

 private:
  std::mutex logMutex_;
  std::vector<std::string> log_;
  NSLogSink previousSink_;
};

// A coefficient as the worked designs give it: six significant digits, trailing zeros kept.
inline std::string sixDigits(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%#.6g", static_cast<double>(value));
  return text;
}

inline float coef(const std::atomic<float>& c) { return c.load(std::memory_order_relaxed); }
