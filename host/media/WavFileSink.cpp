#include "host/media/WavFileSink.h"

#include <sndfile.h>

namespace host {

WavFileSink::~WavFileSink() { close(); }

bool WavFileSink::open(const std::string& path, double sampleRate, int channels,
                       std::string& error) {
  close();
  SF_INFO info{};
  info.samplerate = int(sampleRate);
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  file_ = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file_) {
    error = sf_strerror(nullptr);
    return false;
  }
  // Samples beyond full scale are written as they are: the file shows what the filter made.
  sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_FALSE);
  return true;
}

bool WavFileSink::write(const float* frames, int64_t count, std::string& error) {
  if (!file_) {
    error = "the output file is not open";
    return false;
  }
  if (sf_writef_float(file_, frames, count) != count) {
    error = sf_strerror(file_);
    return false;
  }
  return true;
}

void WavFileSink::close() {
  if (file_) sf_close(file_);
  file_ = nullptr;
}

}  // namespace host
