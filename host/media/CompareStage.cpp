#include "host/media/CompareStage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace host {

CompareLoudness::CompareLoudness(int channels, double sampleRate)
    : input_(channels, sampleRate), output_(channels, sampleRate), rate_(sampleRate) {}

void CompareLoudness::add(const float* input, const float* output, int64_t frames) noexcept {
  input_.add(input, size_t(frames));
  output_.add(output, size_t(frames));
  frames_ += frames;
}

double CompareLoudness::matchingGainDb() const noexcept {
  if (double(frames_) < CompareStage::kMinimumMeasuredSeconds * rate_) return 0;
  const double db = output_.integrated() - input_.integrated();
  return std::isfinite(db) ? db : 0;
}

// The gain is fixed here, when Bypass starts to fade in from Tunely; a request that comes while
// Bypass is still partly heard keeps the gain it fades with, so nothing jumps.
void CompareStage::start(Mode mode, const CompareLoudness* loudness) noexcept {
  mode_ = mode;
  if (mode == Mode::Off || mix_ > 0) return;
  const double db = mode == Mode::Matched && loudness ? loudness->matchingGainDb() : 0;
  gain_ = db == 0 ? 1.0f : float(std::pow(10.0, db / 20));
  gainDb_.store(db, std::memory_order_relaxed);
}

void CompareStage::process(const float* input, float* output, int64_t frames, int channels,
                           double sampleRate, CompareLoudness* loudness) noexcept {
  if (frames <= 0) return;
  // A switch takes the loudness of what played before this block; the block is measured after.
  if (const Mode wanted = requested(); wanted != mode_) start(wanted, loudness);
  if (loudness && loudness->sampleRate() == sampleRate) loudness->add(input, output, frames);
  const double target = mode_ == Mode::Off ? 0 : 1;
  const size_t ch = size_t(std::max(1, channels));
  const size_t count = size_t(frames) * ch;
  const double seconds = double(frames) / sampleRate;
  std::atomic<double>& heard = target > 0 ? secondsBypass_ : secondsTunely_;
  heard.store(heard.load(std::memory_order_relaxed) + seconds, std::memory_order_relaxed);

  heard_.store(int(mode_), std::memory_order_relaxed);
  if (mix_ == target) {  // no switch under way
    if (mix_ == 0) return;  // Tunely: the tap's output as it is
    if (gain_ == 1.0f) {
      std::memcpy(output, input, count * sizeof(float));
    } else {
      for (size_t i = 0; i < count; ++i) output[i] = input[i] * gain_;
    }
    return;
  }
  // The crossfade: the two sides' gains sum to one and move by a 20 ms share every frame.
  const double step = 1.0 / std::max(1.0, std::round(kFadeSeconds * sampleRate));
  for (int64_t f = 0; f < frames; ++f) {
    mix_ = target > mix_ ? std::min(target, mix_ + step) : std::max(target, mix_ - step);
    if (std::fabs(mix_ - target) < 1e-9) mix_ = target;
    const float w = float(mix_);
    float* out = output + size_t(f) * ch;
    const float* in = input + size_t(f) * ch;
    for (size_t c = 0; c < ch; ++c) out[c] = (1.0f - w) * out[c] + w * (in[c] * gain_);
  }
}

}  // namespace host
