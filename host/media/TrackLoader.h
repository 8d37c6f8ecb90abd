// Turns a file of the queue into a playable track the way the player does: decode it, make an
// MPAVItem for it, send loadAssetAndPlayerItem, and take the tap from the player item it stored.
#pragma once

#include <memory>
#include <string>

#include "host/media/AudioFileReader.h"
#include "host/media/TrackPlayback.h"

namespace host {

class PlayerSession;

struct TrackSettings {
  SampleLayout layout = SampleLayout::NonInterleaved;
  int64_t blockFrames = 4096;
};

// Main thread. A prepared track, or none with the reason (the file could not be decoded).
Outcome<std::unique_ptr<TrackPlayback>> loadTrack(PlayerSession& session, const std::string& path,
                                                  const TrackSettings& settings);

}  // namespace host
