#include "host/media/WavFileSink.h"

#include <sndfile.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "host/media/PeakLimiter.h"
#include "host/media/WriteBehind.h"

namespace host {

WavFileSink::WavFileSink() = default;

WavFileSink::~WavFileSink() { close(); }

namespace {

SF_INFO floatWavFormat(double sampleRate, int channels) {
  SF_INFO info{};
  info.samplerate = int(sampleRate);
  info.channels = channels;
  info.format = SF_FORMAT_RF64 | SF_FORMAT_FLOAT;
  return info;
}

}  // namespace

bool WavFileSink::open(const std::string& path, double sampleRate, int channels,
                       std::string& error) {
  close();
  SF_INFO info = floatWavFormat(sampleRate, channels);
  return start(sf_open(path.c_str(), SFM_WRITE, &info), channels, error);
}

bool WavFileSink::open(int fd, double sampleRate, int channels, std::string& error) {
  close();
  SF_INFO info = floatWavFormat(sampleRate, channels);
  // libsndfile is told not to close the descriptor, so that it is closed here exactly once,
  // whatever way opening fails.
  SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
  if (!file) {
    error = sf_strerror(nullptr);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  try {
    writeBehind_ = std::make_unique<WriteBehind>(fd);
  } catch (const std::system_error&) {  // no thread to spare: the file is written out at the end
  }
  return start(file, channels, error);
}

bool WavFileSink::start(SNDFILE* file, int channels, std::string& error) {
  file_ = file;
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
  if (written > 0) {
    frames_ += written;
    // The header before the frames is not counted: the range asked for ends a little early.
    if (writeBehind_) writeBehind_->wrote(frames_ * channels_ * int64_t(sizeof(float)));
  }
  if (written != count) {
    error = sf_strerror(file_);
    return false;
  }
  return true;
}

bool WavFileSink::close(std::string& error) {
  if (!file_) return true;
  bool written = true;
  if (limiter_ && owed_ > 0) {
    // What the limiter still holds comes out as silence goes in.
    scratch_.assign(size_t(owed_) * size_t(channels_), 0.0f);
    limiter_->process(scratch_.data(), owed_);
    const int64_t tail = std::exchange(owed_, 0);
    written = writeThrough(scratch_.data(), tail, error);
  }
  written = written && flushPending(error);
  // The header is rewritten with the final sizes here, over the space it took at the start.
  writeBehind_.reset();  // before the descriptor is closed
  const int status = sf_close(file_);
  file_ = nullptr;
  if (fd_ >= 0 && ::close(std::exchange(fd_, -1)) != 0 && status == SF_ERR_NO_ERROR && written) {
    error = std::strerror(errno);  // a write the kernel could only report at close
    return false;
  }
  if (!written) return false;
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
