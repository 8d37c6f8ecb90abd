// Plays the queue as fast as the machine allows into one 32-bit float WAV file, on media time.
#pragma once

#include <string>
#include <vector>

#include "host/media/MediaClock.h"
#include "host/media/PlayQueue.h"
#include "host/media/WavFileSink.h"

namespace host {

class SessionFrontEnd;

// Empty when every file shares the first file's sample rate and channel count; otherwise a
// message naming the first file that differs.
std::string findFormatMismatch(const std::vector<QueuedFile>& files);

// Main thread: a playback session (PlaybackSession) from the queue of files to the file
// (FileOutput). Tracks follow each other with no gap. Three threads share the work: a decoding
// thread reads the files ahead, the main thread takes its turn (the front end's: the main run
// loop fires every timer due at or before the clock, then the script's steps due run, then the
// window's input) and then runs the block through the tap, and a writing thread measures and
// writes what came out. A track that cannot be decoded is reported and skipped; one damaged in
// the middle ends there, reported.
//
// The listener's requests (the session's transport) take effect at the boundary of the turn that
// made them: a skip, then a seek, then a pause, which writes blocks of silence (not through the
// tap) while the clock and the turns go on. A pause that nothing is left to resume (no window,
// no script steps to come) stops the session with a message. A failed write stops it too, with
// the reason in the outcome; the sink is left open for the caller to complete or drop.
PlayOutcome renderOffline(PlayerSession& session, const std::vector<QueuedFile>& files,
                          const TrackSettings& settings, MediaClock& clock, WavFileSink& sink,
                          bool showProgress, SessionFrontEnd& frontEnd);

}  // namespace host
