// One playback session: the tracks of a source go to an output one after the other, with no
// gap, while the main thread takes the front end's turns and carries out the listener's requests
// (skip, seek, pause) between them. The sound device and the WAV file are outputs
// (DeviceOutput, FileOutput); the queue of files is a source (QueueSource).
//
// Each entry is opened (decoding ahead on a DecodeThread) once the last track in hand is decoded
// to its end; its queue item and tap are made once the output has room for it; its tap is
// prepared when it starts to be heard: on the main thread when nothing plays before it, else by
// whatever plays it as it takes it over. A track the listener moves away from is let go and
// reported as played so far.
#pragma once

#include "host/media/PlayQueue.h"
#include "host/media/PlaybackOutput.h"
#include "host/media/TrackSource.h"

namespace host {

class PlayerSession;
class SessionFrontEnd;

// Main thread; returns when the source has played out, a stop signal (StopRequest) stopped it,
// the listener closed the window, a pause can no longer end, or the output failed.
PlayOutcome runPlaybackSession(PlayerSession& session, TrackSource& source, PlaybackOutput& output,
                               const TrackSettings& settings, SessionFrontEnd& frontEnd);

}  // namespace host
