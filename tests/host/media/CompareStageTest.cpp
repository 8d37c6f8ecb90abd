// The comparison stage on its own: the main thread asks while another thread plays through it
// (ThreadSanitizer watches the two), and a measure that cannot match yet leaves the input at
// 0 dB however loud the output is.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/media/CompareStage.h"

namespace {

using Mode = host::CompareStage::Mode;

TEST(CompareStageTest, TheMainThreadAsksWhileTheAudioThreadPlays) {
  host::CompareStage stage;
  host::CompareLoudness loudness(2, 48000);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> input(256 * 2, 0.25f), output(input.size());
    while (!stop.load()) {
      std::fill(output.begin(), output.end(), 0.5f);  // the tap doubles
      stage.process(input.data(), output.data(), 256, 2, 48000, &loudness);
    }
  });
  for (int i = 0; i < 2000; ++i) {
    stage.request(i % 3 == 0 ? Mode::Off : i % 3 == 1 ? Mode::Matched : Mode::Unmatched);
    (void)stage.heard();
    (void)stage.gainDb();
    (void)stage.secondsBypass();
    std::this_thread::yield();
  }
  while (stage.secondsTunely() + stage.secondsBypass() < 4.0) std::this_thread::yield();
  stage.request(Mode::Off);  // past 3 s: the next switch matches
  while (stage.heard() != Mode::Off) std::this_thread::yield();
  // Once the crossfade back is over (20 ms), a comparison starts afresh.
  const double back = stage.secondsTunely();
  while (stage.secondsTunely() < back + 0.05) std::this_thread::yield();
  stage.request(Mode::Matched);
  while (stage.heard() != Mode::Matched) std::this_thread::yield();
  stop = true;
  audio.join();
  EXPECT_NEAR(stage.gainDb(), 6.02, 0.05);
}

TEST(CompareStageTest, UnderThreeSecondsMeasuredTheGainIsZero) {
  host::CompareStage stage;
  host::CompareLoudness loudness(1, 1000);
  std::vector<float> input(2900, 0.25f), output(2900, 0.5f);
  stage.process(input.data(), output.data(), 2900, 1, 1000, &loudness);
  EXPECT_EQ(loudness.matchingGainDb(), 0);
  stage.request(Mode::Matched);
  std::fill(output.begin(), output.end(), 0.5f);
  stage.process(input.data(), output.data(), 100, 1, 1000, &loudness);
  EXPECT_EQ(stage.gainDb(), 0);
  EXPECT_EQ(output[40], 0.25f);  // past the 20 frames of the crossfade: the input as it is
  EXPECT_EQ(output[19], 0.25f);
  EXPECT_FLOAT_EQ(output[9], 0.5f * 0.5f + 0.25f * 0.5f);  // half way: the two sides halved
}

}  // namespace
