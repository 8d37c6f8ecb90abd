// Moving a playing track to another position, the same way for both players: the track's
// stream is taken from the decoding thread, restarted at the frame and put back first in line;
// the tap stays prepared, so the equalizer's state carries on across the jump.
#pragma once

namespace host {

class DecodeThread;
class TrackPlayback;

// Main thread, while nothing renders `track`: moves it `seconds` into itself (kept within the
// track). `buffered`: decodes until there is enough to play on without running dry (for a sound
// device about to be let go), else just the first block. A file that cannot go there says so,
// once for the track, and plays on from where it was.
void seekTrack(TrackPlayback& track, DecodeThread& decoder, double seconds, bool buffered);

}  // namespace host
