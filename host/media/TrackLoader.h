// Turns a file of the queue into a playable track the way the player does, in two steps: open the
// file and decode its first block (the rest is decoded as it plays, by a DecodeThread), then make
// an MPAVItem for it, send loadAssetAndPlayerItem, and take the tap from the player item it
// stored. The second step runs the system's code (the tap's preparation sets up the equalizer for
// the stream), so a player takes it exactly when the track is due; the first may come early.
#pragma once

#include <memory>
#include <string>

#include "host/media/AudioFileReader.h"
#include "host/media/TrackPlayback.h"

namespace host {

class CompareStage;
class PlayerSession;

// How far decoding runs ahead of playback, and (rendering into a file) writing behind it.
// Rendering, a second of audio passes between the threads in about a millisecond: the ring's
// memory is mapped in bulk, so its length costs little to set up, while waking a thread that
// waits for half a ring costs a system call (and on a busy core the thread woken may take the
// core from the one that renders), which a shorter ring would make more often.
constexpr double kDecodeAheadSeconds = 4.0;

struct TrackSettings {
  SampleLayout layout = SampleLayout::Automatic;
  int64_t blockFrames = 4096;
  CompareStage* compare = nullptr;  // the listener's A/B comparison after every track's tap
  double aheadSeconds = kDecodeAheadSeconds;  // decoding ahead of playback, writing behind it
};

// Any thread. The track's stream, or none with the reason (the file cannot be decoded).
// `measureOutput`: the player leaves the tap's output in the stream's slots to be measured there
// (live); otherwise whoever writes the output measures it.
Outcome<std::unique_ptr<TrackStream>> openTrackStream(const std::string& path,
                                                      const TrackSettings& settings,
                                                      bool measureOutput);

// Main thread. The track playing `stream`, prepared unless `prepareNow` is false (whoever starts
// to play it then prepares it, see TrackPlayback::prepare).
std::unique_ptr<TrackPlayback> makeTrack(PlayerSession& session, const std::string& path,
                                         std::unique_ptr<TrackStream> stream,
                                         const TrackSettings& settings, bool prepareNow = true);

// Main thread. Both steps at once.
Outcome<std::unique_ptr<TrackPlayback>> loadTrack(PlayerSession& session, const std::string& path,
                                                  const TrackSettings& settings,
                                                  bool measureOutput);

}  // namespace host
