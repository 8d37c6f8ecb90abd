#include "host/media/Resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace host {
namespace {

// Silence after the end that is enough for the filter's tail in any case.
constexpr int kMostTailBlocks = 64;

}  // namespace

Resampler::Resampler(double fromRate, double toRate, int channels, int64_t blockFrames,
                     Source source)
    : fromRate_(fromRate),
      toRate_(toRate),
      ratio_(toRate / fromRate),
      channels_(channels),
      blockFrames_(std::max<int64_t>(1, blockFrames)),
      source_(source) {
  outputPerCall_ = 2 * int64_t(std::ceil(double(blockFrames_) * ratio_)) + 1024;
  stagingFrames_ = outputPerCall_ + blockFrames_;
  const size_t ch = size_t(channels_);
  input_ = std::make_unique<float[]>(size_t(blockFrames_) * ch);
  silence_ = std::make_unique<float[]>(size_t(blockFrames_) * ch);
  staging_ = std::make_unique<float[]>(size_t(stagingFrames_) * ch);

  soxr_error_t error = nullptr;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);  // no helper threads
  soxr_ = soxr_create(fromRate, toRate, unsigned(channels_), &error, &io, &quality, &runtime);
  if (!soxr_) {
    error_ = error ? error : "libsoxr refused the rates";
    return;
  }
  warmUp();
}

Resampler::~Resampler() { soxr_delete(soxr_); }

// Feeds silence in whole blocks, as the audio thread will feed music: at least four blocks and a
// second. Where it is not too long, that is rounded up to a whole number of the rates' common
// period too, so the silence makes a whole number of output frames and the music keeps the grid
// a fresh resampler would give it (otherwise it lands within a fraction of an output frame).
void Resampler::warmUp() {
  const int64_t least = std::max<int64_t>(4 * blockFrames_, int64_t(std::ceil(fromRate_)));
  int64_t blocks = (least + blockFrames_ - 1) / blockFrames_;
  if (fromRate_ == std::floor(fromRate_) && toRate_ == std::floor(toRate_)) {
    const int64_t from = int64_t(fromRate_), to = int64_t(toRate_);
    const int64_t period = from / std::gcd(from, to);  // input frames after which the grids meet
    const int64_t whole = std::lcm(period, blockFrames_);
    if (whole <= 8 * least) blocks = (least + whole - 1) / whole * (whole / blockFrames_);
  }
  int64_t made = 0;
  for (int64_t b = 0; b < blocks; ++b) {
    size_t used = 0, out = 0;
    soxr_process(soxr_, silence_.get(), size_t(blockFrames_), &used, frame(0),
                 size_t(outputPerCall_), &out);
    made += int64_t(out);
  }
  toDrop_ = std::max<int64_t>(0, std::llround(double(blocks * blockFrames_) * ratio_) - made);
}

int64_t Resampler::pull(float* out, int64_t frames, bool* ended) noexcept {
  frames = std::min(frames, blockFrames_);
  while (end_ - read_ < frames && !drained_)
    if (!refill()) break;
  const int64_t n = std::min(frames, end_ - read_);
  std::memcpy(out, frame(read_), size_t(n) * size_t(channels_) * sizeof(float));
  read_ += n;
  if (ended) *ended = drained_ && read_ == end_;
  return n;
}

// Runs one block through libsoxr into the staging area. False when the source had nothing ready.
bool Resampler::refill() noexcept {
  if (read_ > 0) {  // keep what is staged at the front, so a whole call's output fits behind it
    std::memmove(frame(0), frame(read_), size_t(end_ - read_) * size_t(channels_) * sizeof(float));
    end_ -= read_;
    read_ = 0;
  }
  if (inputEnded_) {
    if (++tailBlocks_ > kMostTailBlocks) {
      drained_ = true;
      return true;
    }
    process(silence_.get(), blockFrames_);
  } else {
    bool endsThere = false;
    if (source_.ready(source_.context, blockFrames_, &endsThere) < blockFrames_ && !endsThere)
      return false;  // a whole block or the end, never less
    bool ended = false;
    const int64_t got = source_.render(source_.context, input_.get(), blockFrames_, &ended);
    inputFrames_ += got;
    if (ended) {
      inputEnded_ = true;
      target_ = std::llround(double(inputFrames_) * ratio_);
      std::memset(input_.get() + got * channels_, 0,
                  size_t(blockFrames_ - got) * size_t(channels_) * sizeof(float));
    }
    process(input_.get(), blockFrames_);
  }
  if (inputEnded_ && kept_ >= target_) drained_ = true;
  return true;
}

void Resampler::process(const float* in, int64_t frames) noexcept {
  while (frames > 0) {
    size_t used = 0, made = 0;
    soxr_process(soxr_, in, size_t(frames), &used, frame(end_), size_t(outputPerCall_), &made);
    // What the warm-up silence still accounts for is dropped; past the end, only what the
    // track's length calls for is kept.
    int64_t keep = int64_t(made);
    const int64_t drop = std::min(toDrop_, keep);
    toDrop_ -= drop;
    keep -= drop;
    if (drop > 0 && keep > 0)
      std::memmove(frame(end_), frame(end_ + drop), size_t(keep) * size_t(channels_) * sizeof(float));
    if (inputEnded_) keep = std::min(keep, std::max<int64_t>(0, target_ - kept_));
    end_ += keep;
    kept_ += keep;
    in += used * size_t(channels_);
    frames -= int64_t(used);
    if (used == 0) break;  // full output: cannot happen with outputPerCall_ of room
  }
}

}  // namespace host
