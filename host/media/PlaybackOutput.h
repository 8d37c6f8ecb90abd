// Where a playback session's tracks are heard or written: the sound device, or a WAV file. The
// session (PlaybackSession) runs the queue, the listener's requests and the hand-over from track
// to track; the output decides when a block is played and by which thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "host/media/PlayQueue.h"

namespace host {

class DecodeThread;
class SessionFrontEnd;
class TrackPlayback;
class TrackStream;

class PlaybackOutput {
 public:
  virtual ~PlaybackOutput() = default;

  // Tracks the output holds at once: the one it plays and those it takes next without a gap.
  virtual size_t tracksInHand() const = 0;
  // Seconds of audio the output wants in hand beyond what it plays now, and the most tracks it
  // can hold for that: tracks shorter than what one callback plays follow each other without a
  // gap only when enough of them are in hand. 0 and tracksInHand() by default.
  virtual double secondsAheadWanted() const { return 0; }
  virtual size_t mostTracksInHand() const { return tracksInHand(); }
  // How often the decoding thread looks for work by itself (none: only when woken), and whether
  // the tap's output is left in the stream's slots to be measured there.
  virtual std::optional<std::chrono::milliseconds> decoderLooksEvery() const = 0;
  virtual bool measuresInStream() const = 0;
  // Whether the decoding thread runs as background work that never preempts the thread that
  // plays: offline, where that thread is the one every block waits for and decoding has a whole
  // ring to catch up in. Live, decoding stays an ordinary thread, so that the first blocks of a
  // start, a seek or a skip are ready as soon as can be.
  virtual bool decoderGivesWay() const { return false; }
  // Whether a seek decodes until the track can play on without running dry (another thread plays
  // it), or just its first block.
  virtual bool seeksBuffered() const = 0;
  // Whether, once the queue has played out with a window open, the session waits for the
  // listener (live) instead of ending.
  virtual bool waitsAtQueueEnd() const { return false; }
  // A stream just opened, before the decoding thread has it; `neededSoon` when nothing is in hand
  // or what is in hand is short of secondsAheadWanted().
  virtual void streamOpened(TrackStream& stream, DecodeThread& decoder, bool neededSoon) = 0;

  enum class Take { Taken, NotYet, Refused, Failed };
  // Main thread: takes a made track (entry `index` of `count`) to play after those it holds;
  // prepared already when nothing was in hand. NotYet keeps it waiting; Refused drops it (`why`
  // says why); Failed ends the session (the output said why).
  virtual Take take(TrackPlayback& track, size_t index, size_t count, bool nothingInHand,
                    std::string& why) = 0;

  // Main thread: the listener's pause; and a hold of whatever plays the tracks, while the session
  // seeks or lets them go.
  virtual void setPaused(bool) {}
  virtual void hold() {}
  virtual void release() {}
  virtual void letGo(const TrackPlayback&) {}

  enum class Turn { Taken, NotReady, TrackEnded, Closed };
  // Main thread: the front end's turn, after whatever wait the output needs. NotReady: the loop
  // should look again before turning; TrackEnded: `front` ended without a turn; Closed: the
  // listener closed the window.
  virtual Turn turn(SessionFrontEnd& frontEnd, TrackPlayback* front) = 0;
  // Main thread, after the turn's requests took effect: plays what the output plays on this
  // thread (offline, one block). False when the output failed.
  virtual bool play(TrackPlayback* front, bool paused, SessionFrontEnd& frontEnd) = 0;

  // Before a message about a track is printed (a progress line gives way).
  virtual void beforeReport() {}
  // Main thread: a track nothing plays any more, finished; the output reports it as it reports.
  virtual void retire(std::unique_ptr<TrackPlayback> track, PlayOutcome& outcome) = 0;
  // Main thread: the session stops (`interrupted` before the queue ended). Called before the
  // tracks still in hand are retired, and `finish` after.
  virtual void stop(bool interrupted) = 0;
  virtual void finish(PlayOutcome& outcome) = 0;
};

}  // namespace host
