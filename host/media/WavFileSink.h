// Writes interleaved float frames to a 32-bit float WAV file.
#pragma once

#include <cstdint>
#include <string>

struct sf_private_tag;

namespace host {

class WavFileSink {
 public:
  WavFileSink() = default;
  ~WavFileSink();
  WavFileSink(const WavFileSink&) = delete;
  WavFileSink& operator=(const WavFileSink&) = delete;

  // Creates (or truncates) the file. False with `error` set when it cannot be written.
  bool open(const std::string& path, double sampleRate, int channels, std::string& error);
  // False with `error` set when the write fails (disk full, ...).
  bool write(const float* frames, int64_t count, std::string& error);
  // Completes the header. Also done by the destructor.
  void close();

 private:
  sf_private_tag* file_ = nullptr;
};

}  // namespace host
