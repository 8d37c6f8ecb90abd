// A whole track decoded to 32-bit float frames, channels interleaved as libsndfile delivers them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct DecodedAudio {
  double sampleRate = 0;
  int channels = 0;
  int64_t frames = 0;
  std::vector<float> samples;  // frames * channels, interleaved
};

}  // namespace host
