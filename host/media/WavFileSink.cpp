#include "host/media/WavFileSink.h"

#include <sndfile.h>

#include <algorithm>
#include <utility>

#include "host/media/PeakLimiter.h"

namespace host {

WavFileSink::~WavFileSink() { close(); }

bool WavFileSink::open(const std::string& path, double sampleRate, int channels,
                       std::string& error) {
  close();
  SF_INFO info{};
  info.samplerate = int(sampleRate);
  info.channels = channels;
  info.format = SF_FORMAT_RF64 | SF_FORMAT_FLOAT;
  file_ = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file_) {
    error = sf_strerror(nullptr);
    return false;
  }
  frames_ = 0;
  owed_ = 0;
  channels_ = channels;
  pending_.clear();
  pending_.reserve(2 * kWriteBytes / sizeof(float));  // gathered blocks never pass twice a write
  // The length is known only at the end: libsndfile writes a plain WAV header when it fits.
  sf_command(file_, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
  // Samples beyond full scale are written as they are: the file shows what the filter made.
  sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_FALSE);
  return true;
}

bool WavFileSink::write(const float* frames, int64_t count, std::string& error) {
  if (!file_) {
    error = "the output file is not open";
    return false;
  }
  if (!limiter_) return writeThrough(frames, count, error);
  scratch_.assign(frames, frames + size_t(count) * size_t(channels_));
  limiter_->process(scratch_.data(), count);
  // The first frames out of the limiter are its delay's silence.
  const int64_t skip = std::min(count, limiter_->latencyFrames() - owed_);
  owed_ += skip;
  return writeThrough(scratch_.data() + size_t(skip) * size_t(channels_), count - skip, error);
}

bool WavFileSink::writeThrough(const float* frames, int64_t count, std::string& error) {
  const size_t samples = size_t(count) * size_t(channels_);
  // A block as large as a whole write goes straight out, after what was gathered before it.
  if (samples * sizeof(float) >= kWriteBytes)
    return flushPending(error) && writeFrames(frames, count, error);
  pending_.insert(pending_.end(), frames, frames + samples);
  return pending_.size() * sizeof(float) < kWriteBytes || flushPending(error);
}

bool WavFileSink::flushPending(std::string& error) {
  const int64_t count = int64_t(pending_.size()) / channels_;
  const bool written = count == 0 || writeFrames(pending_.data(), count, error);
  pending_.clear();
  return written;
}

bool WavFileSink::writeFrames(const float* frames, int64_t count, std::string& error) {
  const sf_count_t written = sf_writef_float(file_, frames, count);
  if (written > 0) frames_ += written;
  if (written != count) {
    error = sf_strerror(file_);
    return false;
  }
  return true;
}

bool WavFileSink::close(std::string& error) {
  if (!file_) return true;
  if (limiter_ && owed_ > 0) {
    // What the limiter still holds comes out as silence goes in.
    scratch_.assign(size_t(owed_) * size_t(channels_), 0.0f);
    limiter_->process(scratch_.data(), owed_);
    const int64_t tail = std::exchange(owed_, 0);
    if (!writeThrough(scratch_.data(), tail, error)) {
      sf_close(file_);
      file_ = nullptr;
      return false;
    }
  }
  if (!flushPending(error)) {
    sf_close(file_);
    file_ = nullptr;
    return false;
  }
  // The header is rewritten with the final sizes here, over the space it took at the start.
  const int status = sf_close(file_);
  file_ = nullptr;
  if (status != SF_ERR_NO_ERROR) {
    error = sf_error_number(status);
    return false;
  }
  return true;
}

void WavFileSink::close() {
  std::string ignored;
  close(ignored);
}

}  // namespace host
