// Integrated loudness (EBU R128 / ITU-R BS.1770, in LUFS) of a stream of interleaved float
// frames, measured with libebur128. It allocates as it goes: keep it off the audio thread.
#pragma once

#include <ebur128.h>

#include <cstddef>
#include <cstdint>

namespace host {

class LoudnessMeter {
 public:
  // `expectedFrames` (as the file announces them) chooses how the gating blocks are kept:
  // exactly, for tracks up to kExactUpToSeconds, or in libebur128's histogram (steps of 0.1 LU,
  // fixed memory) for longer ones, so memory stays flat however long the file is.
  LoudnessMeter(int channels, double sampleRate, int64_t expectedFrames);
  ~LoudnessMeter();
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;

  static constexpr double kExactUpToSeconds = 20 * 60;

  void add(const float* frames, size_t count) noexcept;
  // Computes the figure and frees the measuring state. Idempotent.
  void finish();
  // LUFS once finish()ed: -inf for silence, NaN when it cannot be told (under 0.4 s of audio,
  // or a format libebur128 does not take).
  double integrated() const { return integrated_; }

 private:
  ebur128_state* state_ = nullptr;
  int64_t frames_ = 0;
  double sampleRate_;
  double integrated_;
};

}  // namespace host
