// The platform pieces the engine relies on: the log and the audio thread's float mode.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <thread>
#include <vector>

#include "coreaudio/AudioThread.h"
#include "foundation/NSLog.h"

TEST(NSLogTest, FormatsLinesIntoTheSinkAndRestoresThePreviousOne) {
  std::vector<std::string> lines;
  NSLogSink previous = NSLogSetSink([&](const std::string& line) { lines.push_back(line); });
  NSLog("MTAudioProcessingTapGetSourceAudio: %d", -1);
  NSLog("%s", "");
  NSLog("%s", std::string(5000, 'x').c_str());
  NSLogSink mine = NSLogSetSink(previous);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "MTAudioProcessingTapGetSourceAudio: -1");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2].size(), 5000u);
  ASSERT_TRUE(static_cast<bool>(mine));
}

TEST(NSLogTest, WritesToStandardErrorWithoutASink) {
  NSLogSink previous = NSLogSetSink(nullptr);
  testing::internal::CaptureStderr();
  NSLog("Unsupported tap processing format.");
  const std::string err = testing::internal::GetCapturedStderr();
  NSLogSetSink(previous);
  EXPECT_EQ(err, "Unsupported tap processing format.\n");
}

TEST(AudioThreadTest, FlushToZeroAppliesToTheCallingThreadOnly) {
  volatile float subnormal = FLT_MIN / 4.0f;
  volatile float one = 1.0f;
  float onAudioThread = -1.0f;
  std::thread audio([&] {
    AudioThreadEnableFlushToZero();
    onAudioThread = subnormal * one;
  });
  audio.join();
  EXPECT_EQ(onAudioThread, 0.0f);
  EXPECT_EQ(subnormal * one, FLT_MIN / 4.0f);
}
