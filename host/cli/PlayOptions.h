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
  bool compareUnmatched = false;  // the A/B comparison hears the bypassed input at its own level
  // The window: by default live playback opens one when there is a display, offline rendering
  // none; --window and --no-window decide.
  enum class Window { Default, Open, None } window = Window::Default;
  int scale = 0;       // pixels per point of the window and of screenshots; 0: the best fit
  std::string script;  // a session script to carry out, if any
  // The peak limiter on what goes out: by default on for the sound device, off for a file.
  enum class Limiter { Default, On, Off } limiter = Limiter::Default;
};

// Exit statuses besides 0 (all played), 1 (something failed) and 128 + the signal that stopped play.
constexpr int kExitNoSoundDevice = 69;

}  // namespace host
