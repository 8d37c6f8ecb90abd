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
  bool interrupted = false;          // stopped before the queue ended
  bool closedByListener = false;     // ... by the listener closing the window
  std::string outputError;           // offline: why writing the output failed, if it did
};

// Prints why `path` cannot be played, in the form every track failure takes.
void reportUnplayable(const std::string& path, const std::string& why);

// Prints, once, that the equalizer will leave the queue's tracks of more than two channels as
// they are when each channel goes to it in a buffer of its own. True when it did.
bool noteUnfilteredTracks(const std::vector<QueuedFile>& files, SampleLayout layout);

// Says why a paused session stops: nothing is left that could resume it.
void reportPausedForGood();

// Says that Repeat no longer applies: nothing is left that could switch it off.
void reportRepeatEnds();

// Once a track has played: if its file turned out damaged, prints where and why (it played up to
// there) and returns true.
bool reportDamage(TrackPlayback& track);

}  // namespace host
