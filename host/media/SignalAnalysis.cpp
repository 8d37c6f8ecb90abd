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

}  // namespace host
