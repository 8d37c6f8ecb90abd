// Reads audio files through libsndfile (WAV, AIFF, FLAC, Ogg, MP3, ...): the format first, so a
// queue can be checked before anything plays, then the whole track as float frames.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/media/DecodedAudio.h"

namespace host {

struct AudioFileInfo {
  double sampleRate = 0;
  int channels = 0;
  int64_t frames = 0;
};

// Either a value or the reason there is none, worded for a message that names the file.
template <class T>
struct Outcome {
  std::optional<T> value;
  std::string error;
  explicit operator bool() const { return value.has_value(); }
};

Outcome<AudioFileInfo> probeAudioFile(const std::string& path);
Outcome<DecodedAudio> decodeAudioFile(const std::string& path);

}  // namespace host
