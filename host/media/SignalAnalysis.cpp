#include "host/media/SignalAnalysis.h"

namespace host {

SignalAnalysis::SignalAnalysis(int channels, double sampleRate)
    : channels_(channels),
      levels_(channels, sampleRate),
      loudness_(channels, sampleRate) {}

void SignalAnalysis::add(const float* frames, int64_t count) noexcept {
  if (count <= 0) return;
  levels_.add(frames, size_t(count) * size_t(channels_));
  loudness_.add(frames, size_t(count));
}

void SignalAnalysis::addBoth(SignalAnalysis& a, const float* x, SignalAnalysis& b,
                             const float* y, int64_t count) noexcept {
  if (count <= 0) return;
  if (a.channels_ == b.channels_) {
    LevelMeter::addBoth(a.levels_, x, b.levels_, y, size_t(count) * size_t(a.channels_));
  } else {
    a.levels_.add(x, size_t(count) * size_t(a.channels_));
    b.levels_.add(y, size_t(count) * size_t(b.channels_));
  }
  LoudnessMeter::addBoth(a.loudness_, x, b.loudness_, y, size_t(count));
}

}  // namespace host
