// The audio thread's float mode: flushing denormals to zero on the thread that asks for it.
#include <gtest/gtest.h>

#include <cfloat>
#include <thread>

#include "coreaudio/AudioThread.h"

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
