// The listener's A/B comparison, right after the tap: "Tunely" is the tap's output, "Bypass" the
// tap's input. The tap keeps running while Bypass is heard, so everything after the comparison is
// exactly what it would have been without it.
//
// Level-matched, Bypass is the input times one gain, fixed as the comparison starts: the output's
// integrated loudness minus the input's over the stream so far, so the two sound equally loud
// (0 dB with under 3 s measured or no finite figure). Unmatched, Bypass is the input bit for bit.
// Each switch crossfades linearly over 20 ms with the two gains summing to one; while no switch
// is under way the heard side passes untouched.
//
// The main thread asks (request()), the audio thread switches at its next block and reports what
// is heard in relaxed atomics; it allocates nothing, takes no lock and makes no system call.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "host/media/LoudnessMeter.h"

namespace host {

// One stream's loudness going into and coming out of the tap, measured on the audio thread as it
// plays, for the level-matched gain. Made on the main thread (the meters take their memory then).
class CompareLoudness {
 public:
  CompareLoudness(int channels, double sampleRate);
  void add(const float* input, const float* output, int64_t frames) noexcept;
  // dB to bring the input to the output's loudness; 0 when it cannot be told yet.
  double matchingGainDb() const noexcept;
  double sampleRate() const noexcept { return rate_; }

 private:
  LoudnessMeter input_, output_;
  double rate_;
  int64_t frames_ = 0;
};

class CompareStage {
 public:
  static constexpr double kFadeSeconds = 0.02;
  static constexpr double kMinimumMeasuredSeconds = 3.0;

  enum class Mode : int { Off = 0, Matched = 1, Unmatched = 2 };

  // Main thread (any thread): Bypass heard from the next block on (crossfading), or Tunely again.
  void request(Mode mode) noexcept { wanted_.store(int(mode), std::memory_order_relaxed); }
  Mode requested() const noexcept { return Mode(wanted_.load(std::memory_order_relaxed)); }

  // Audio thread: `frames` interleaved frames of `channels`; `output` holds the tap's output and
  // becomes what is heard; `input` is the tap's input and is left as it is. `loudness`, when
  // given, is measured (before the mix) and supplies the gain a matched comparison starts with.
  void process(const float* input, float* output, int64_t frames, int channels, double sampleRate,
               CompareLoudness* loudness) noexcept;

  // Any thread: what is heard now, for the screen and the summary.
  Mode heard() const noexcept { return Mode(heard_.load(std::memory_order_relaxed)); }
  double gainDb() const noexcept { return gainDb_.load(std::memory_order_relaxed); }
  double secondsTunely() const noexcept { return secondsTunely_.load(std::memory_order_relaxed); }
  double secondsBypass() const noexcept { return secondsBypass_.load(std::memory_order_relaxed); }
  bool everCompared() const noexcept { return secondsBypass() > 0 || heard() != Mode::Off; }

 private:
  void start(Mode mode, const CompareLoudness* loudness) noexcept;

  std::atomic<int> wanted_{int(Mode::Off)};
  std::atomic<int> heard_{int(Mode::Off)};
  std::atomic<double> gainDb_{0};
  std::atomic<double> secondsTunely_{0}, secondsBypass_{0};
  // The audio thread's.
  Mode mode_ = Mode::Off;  // the request it follows
  float gain_ = 1.0f;      // on the input while Bypass is heard
  double mix_ = 0;         // 0: Tunely, 1: Bypass; in between while crossfading
};

}  // namespace host
