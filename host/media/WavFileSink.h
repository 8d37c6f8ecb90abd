// Writes interleaved float frames to a 32-bit float WAV file. A file that outgrows what a WAV
// header can count (4 GiB of data) is written as RF64, the WAV form with 64-bit sizes; smaller
// files are plain WAV, so every reader takes them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sf_private_tag;

namespace host {

class PeakLimiter;
class WriteBehind;

class WavFileSink {
 public:
  WavFileSink();
  ~WavFileSink();
  WavFileSink(const WavFileSink&) = delete;
  WavFileSink& operator=(const WavFileSink&) = delete;

  // Creates (or truncates) the file. False with `error` set when it cannot be written.
  bool open(const std::string& path, double sampleRate, int channels, std::string& error);
  // Writes to `fd`, an empty file open for writing, which the sink then owns (closed on failure
  // too). Nothing is truncated, so the file system has no reason to force the data out at close.
  bool open(int fd, double sampleRate, int channels, std::string& error);
  // False with `error` set when the write fails (disk full, ...).
  bool write(const float* frames, int64_t count, std::string& error);
  // Completes the header. False with `error` set when that fails. Also done by the destructor.
  bool close(std::string& error);
  void close();

  // Sends what is written through a peak limiter first (set before the first write). The file
  // keeps the frames' timing: the limiter's delay is taken off the start and its last frames
  // are written at close.
  void limitPeaks(PeakLimiter* limiter) { limiter_ = limiter; }

  bool isOpen() const { return file_ != nullptr; }
  int64_t framesWritten() const {
    return frames_ + int64_t(pending_.size()) / std::max(1, channels_) + owed_;
  }

 private:
  bool writeThrough(const float* frames, int64_t count, std::string& error);
  bool flushPending(std::string& error);
  bool writeFrames(const float* frames, int64_t count, std::string& error);
  bool start(sf_private_tag* file, int channels, std::string& error);

  sf_private_tag* file_ = nullptr;
  int64_t frames_ = 0;
  PeakLimiter* limiter_ = nullptr;
  std::vector<float> scratch_;
  // Short blocks gathered into writes of at least kWriteBytes: a system call per block of a
  // few hundred frames would cost the writing thread more than the rest of its work.
  static constexpr size_t kWriteBytes = 32768;
  std::vector<float> pending_;
  int channels_ = 0;
  int64_t owed_ = 0;  // frames taken in that the limiter still holds
  int fd_ = -1;  // the descriptor given to open(), closed here after libsndfile is done
  // Asks the kernel to write the file out as it grows, so the disk works while the render goes
  // on (only for a file opened from a descriptor).
  std::unique_ptr<WriteBehind> writeBehind_;
};

}  // namespace host
