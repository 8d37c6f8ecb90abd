// What the summary tells about one side of a track (what went into the tap, or what came out):
// levels and integrated loudness, measured block by block off the audio thread.
#pragma once

#include <cstdint>

#include "host/media/LevelMeter.h"
#include "host/media/LoudnessMeter.h"

namespace host {

class SignalAnalysis {
 public:
  SignalAnalysis(int channels, double sampleRate);

  void add(const float* frames, int64_t count) noexcept;  // interleaved
  // a.add(x, count) and b.add(y, count), the loudness of both measured in one pass (two sides
  // of one stream: the same figures, for about the cost of one).
  static void addBoth(SignalAnalysis& a, const float* x, SignalAnalysis& b, const float* y,
                      int64_t count) noexcept;
  void finish() { loudness_.finish(); }                   // frees the loudness histogram

  const LevelMeter& levels() const { return levels_; }
  double loudness() const { return loudness_.integrated(); }  // integrated, LUFS
  const LoudnessMeter& loudnessMeter() const { return loudness_; }

 private:
  int channels_;
  LevelMeter levels_;
  LoudnessMeter loudness_;
};

}  // namespace host
