// The built-in demo song: the same samples every time, long enough to hear the equalizer work,
// with enough bass to hear the bass stage, and headroom left for the boost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/demo/DemoSong.h"

namespace {

TEST(DemoSong, IsDeterministicTensOfSecondsLongAndCarriesRealBass) {
  const host::DecodedAudio song = host::synthesizeDemoSong();
  EXPECT_EQ(song.samples, host::synthesizeDemoSong().samples);
  const double seconds = double(song.frames) / song.sampleRate;
  EXPECT_GT(seconds, 20);
  EXPECT_LT(seconds, 60);
  // Share of the energy below about 150 Hz (a one-pole low pass on the left channel).
  const double k = std::exp(-2 * M_PI * 150 / song.sampleRate);
  double low = 0, all = 0, y = 0, peak = 0;
  for (int64_t i = 0; i < song.frames; ++i) {
    const double x = song.samples[size_t(i) * 2];
    y = (1 - k) * x + k * y;
    low += y * y;
    all += x * x;
    peak = std::max(peak, std::fabs(x));
  }
  EXPECT_GT(low / all, 0.4);
  // Headroom for the bass boost.
  EXPECT_LT(peak, 0.6);
}

}  // namespace
