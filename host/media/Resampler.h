// Converts what a track's tap delivers to the sound device's sample rate with libsoxr, on the
// audio thread: the tap still sees the track at its own rate.
//
// libsoxr allocates as its buffers find their size over the first blocks, so the constructor
// (on the main thread) runs it on silence first, and it is only ever given whole blocks of one
// size: the audio thread then finds every buffer grown. The output that silence accounts for is
// dropped, so the track's first sample still comes out first. The last block is padded with
// silence, and so is the end rather than flushed (flushing allocates); the output is cut to the
// track's length at the new rate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct soxr;

namespace host {

class Resampler {
 public:
  // Where the frames at the input rate come from: ready() tells how many (up to `frames`) render()
  // would deliver now and whether the source ends with them; render() delivers them into `out`,
  // `ended` once the last is delivered.
  struct Source {
    void* context;
    int64_t (*ready)(void* context, int64_t frames, bool* endsThere) noexcept;
    int64_t (*render)(void* context, float* out, int64_t frames, bool* ended) noexcept;
  };

  // Main thread. `blockFrames`: the most the source delivers at once, and the most pull() is
  // asked for. ok() tells whether libsoxr took the rates.
  Resampler(double fromRate, double toRate, int channels, int64_t blockFrames, Source source);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  bool ok() const { return soxr_ != nullptr; }
  const std::string& error() const { return error_; }

  // Audio thread. Up to `frames` (at most blockFrames) frames at the output rate into `out`;
  // `ended` once the last has gone out. Fewer only at the end, or while the source has nothing
  // ready. Allocates nothing, takes no lock.
  int64_t pull(float* out, int64_t frames, bool* ended) noexcept;

 private:
  void warmUp();
  bool refill() noexcept;
  void process(const float* in, int64_t frames) noexcept;
  float* frame(int64_t index) noexcept { return staging_.get() + index * channels_; }

  double fromRate_, toRate_, ratio_;
  int channels_;
  int64_t blockFrames_;
  int64_t outputPerCall_;  // room for what one block can make
  Source source_;
  soxr* soxr_ = nullptr;
  std::string error_;

  std::unique_ptr<float[]> input_;     // one block from the source
  std::unique_ptr<float[]> silence_;   // one block of zeros
  std::unique_ptr<float[]> staging_;   // output made, not yet pulled: [read_, end_)
  int64_t stagingFrames_ = 0;
  int64_t read_ = 0, end_ = 0;

  int64_t toDrop_ = 0;       // output still owed to the warm-up silence
  int64_t inputFrames_ = 0;  // taken from the source
  int64_t target_ = -1;      // output frames the track makes, once its input has ended
  int64_t kept_ = 0;         // output frames kept so far
  int tailBlocks_ = 0;       // blocks of silence fed after the end
  bool inputEnded_ = false;
  bool drained_ = false;
};

}  // namespace host
