// What the player is asked to play and what came of it.
#pragma once

#include <string>
#include <vector>

#include "host/media/AudioFileReader.h"
#include "host/media/TrackLoader.h"
#include "host/media/TrackSummary.h"

namespace host {

class PlayerSession;

struct QueuedFile {
  std::string path;
  AudioFileInfo info;
};

struct PlayOutcome {
  std::vector<TrackReport> reports;  // the tracks that played, in order
  bool anyFailed = false;            // a track could not be played, or the output failed
  bool interrupted = false;          // stopped by Ctrl-C
};

// Prints why `path` cannot be played, in the form every track failure takes.
void reportUnplayable(const std::string& path, const std::string& why);

}  // namespace host
