// What `tunely play` was asked to do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/media/StreamFormat.h"

namespace host {

struct PlayOptions {
  std::vector<std::string> files;  // empty: the demo song
  std::string output;              // empty: the sound device
  std::string deviceRoot;          // empty: the default one
  int64_t blockFrames = 4096;
  SampleLayout layout = SampleLayout::NonInterleaved;
  std::string deviceProfile = "ios7";
  bool noTweaks = false;
};

// Exit statuses besides 0 (all played) and 1 (something failed).
constexpr int kExitNoSoundDevice = 69;
constexpr int kExitInterrupted = 130;

}  // namespace host
