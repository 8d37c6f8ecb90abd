#include "host/media/PlaybackSession.h"

#include <deque>
#include <memory>
#include <optional>
#include <utility>

#include "host/media/DecodeThread.h"
#include "host/media/StopRequest.h"
#include "host/media/TrackSeek.h"
#include "host/player/PlayerSession.h"
#include "host/player/SessionFrontEnd.h"

namespace host {
namespace {

// A made track and its place in the source.
struct SessionTrack {
  std::unique_ptr<TrackPlayback> track;
  size_t index = 0;
};

class Session {
 public:
  Session(PlayerSession& session, TrackSource& source, PlaybackOutput& output,
          const TrackSettings& settings, SessionFrontEnd& frontEnd)
      : session_(session),
        source_(source),
        output_(output),
        settings_(settings),
        frontEnd_(frontEnd),
        transport_(session.transport()),
        decoder_(output.decoderLooksEvery(), output.decoderGivesWay()) {}

  PlayOutcome run();

 private:
  TrackPlayback* front() { return inHand_.empty() ? nullptr : inHand_.front().track.get(); }
  void retire(SessionTrack& done);
  void retireFinished();
  void openAhead();
  bool handOver();  // false when the output failed
  bool fillHand();  // handOver() as often as the output wants; false when the output failed
  bool shortOfAudio() const;
  void nameFront();
  void moveQueue(std::optional<size_t> target, bool back);
  void applyRequests();
  void followOrder();
  bool endOfQueue();
  void startAgain(std::optional<size_t> from);
  void dropWaiting();
  void dropAhead();

  PlayerSession& session_;
  TrackSource& source_;
  PlaybackOutput& output_;
  TrackSettings settings_;
  SessionFrontEnd& frontEnd_;
  PlayerTransport& transport_;
  DecodeThread decoder_;
  PlayOutcome outcome_;
  std::deque<SessionTrack> inHand_;      // the output's, until finished() or let go
  std::optional<OpenedEntry> upcoming_;  // opened and decoding, its track not made yet
  std::optional<SessionTrack> pending_;  // made, not taken by the output yet
  const TrackPlayback* shown_ = nullptr; // the track the screen names
  bool paused_ = false;
  bool tookOne_ = false;  // the last handOver() gave the output a track
  // The order the source follows, as last taken from the transport.
  PlayOrder::Repeat repeat_ = PlayOrder::Repeat::Off;
  bool shuffled_ = false;
  int shuffleGeneration_ = 0;
  // Played out with the window open: stopped on the last track until the listener acts.
  bool ended_ = false;
  bool repeatEndNoted_ = false;
  // Entries in a row that could not be opened or played nothing: a whole queue of them ends
  // playing, however Repeat is set.
  size_t fruitless_ = 0;
};

// A track no other thread plays any more: completes its measures, says if it was damaged, and
// goes to the output to be reported.
void Session::retire(SessionTrack& done) {
  decoder_.detach(done.track->stream());
  // The headroom its settings needed, read while the tap is still prepared for its stream.
  if (done.track->filteredByTap()) done.track->peakAtEnd = chainPeakInForce(done.track->channels());
  done.track->finish();
  if (!done.track->stream().damage().empty()) {
    output_.beforeReport();
    if (reportDamage(*done.track)) outcome_.anyFailed = true;
  }
  if (done.track.get() == shown_) shown_ = nullptr;
  output_.retire(std::move(done.track), outcome_);
}

void Session::retireFinished() {
  while (!inHand_.empty() && inHand_.front().track->finished()) {
    fruitless_ = inHand_.front().track->framesRendered() > 0 ? 0 : fruitless_ + 1;
    retire(inHand_.front());
    inHand_.pop_front();
  }
}

void Session::dropWaiting() {
  if (pending_) decoder_.detach(pending_->track->stream());
  if (upcoming_) decoder_.detach(*upcoming_->stream);
  pending_.reset();
  upcoming_.reset();
}

// Lets go of what is lined up after the track playing (the output's next track included).
void Session::dropAhead() {
  while (inHand_.size() > 1) {
    output_.letGo(*inHand_.back().track);
    retire(inHand_.back());
    inHand_.pop_back();
  }
  dropWaiting();
}

// The next entry is opened once the last track in hand is decoded to its end, seconds before it
// ends, so its decoding follows on at once; entries that cannot be opened are reported.
void Session::openAhead() {
  const bool nearEnd = inHand_.empty() || (inHand_.back().track->stream().decodingFinished() &&
                                           (inHand_.size() == 1 || shortOfAudio()));
  while (nearEnd && !upcoming_ && !pending_ && !source_.exhausted()) {
    if (fruitless_ >= source_.count()) {
      source_.moveTo(std::nullopt);
      break;
    }
    OpenedEntry opened = source_.openNext(output_.measuresInStream());
    if (!opened.stream) {
      output_.beforeReport();
      reportUnplayable(source_.entry(opened.index).path, opened.error);
      outcome_.anyFailed = true;
      ++fruitless_;
      continue;
    }
    output_.streamOpened(*opened.stream, decoder_, inHand_.empty() || shortOfAudio());
    decoder_.attach(*opened.stream);
    upcoming_ = std::move(opened);
  }
}

// Whether the tracks in hand hold less audio than the output wants ahead, and it can hold more.
// A track still decoding counts as plenty: its decoded part alone lasts longer.
bool Session::shortOfAudio() const {
  const double wanted = output_.secondsAheadWanted();
  if (wanted <= 0 || inHand_.size() >= output_.mostTracksInHand()) return false;
  double seconds = 0;
  for (const SessionTrack& held : inHand_) {
    const TrackStream& stream = held.track->stream();
    if (!stream.decodingFinished()) return false;
    seconds += double(stream.framesDecoded()) / held.track->sampleRate() - held.track->positionSeconds();
  }
  return seconds < wanted;
}

bool Session::fillHand() {
  do {
    openAhead();
    tookOne_ = false;
    if (!handOver()) return false;
  } while (tookOne_ && shortOfAudio());
  return true;
}

bool Session::handOver() {
  if (upcoming_ && !pending_ && (inHand_.size() < output_.tracksInHand() || shortOfAudio())) {
    // The queue item and its tap are made once the track is due at the output, as the player does.
    const size_t index = upcoming_->index;
    pending_ = SessionTrack{makeTrack(session_, source_.entry(index).path,
                                      std::move(upcoming_->stream), settings_, false),
                            index};
    upcoming_.reset();
  }
  if (!pending_) return true;
  const bool nothingInHand = inHand_.empty();
  if (nothingInHand) pending_->track->prepare();  // nothing plays before it: heard from now on
  std::string why;
  switch (output_.take(*pending_->track, pending_->index, source_.count(), nothingInHand, why)) {
    case PlaybackOutput::Take::Taken:
      inHand_.push_back(std::move(*pending_));
      pending_.reset();
      tookOne_ = true;
      return true;
    case PlaybackOutput::Take::NotYet: return true;
    case PlaybackOutput::Take::Refused:
      output_.beforeReport();
      reportUnplayable(pending_->track->path(), why);
      outcome_.anyFailed = true;
      decoder_.detach(pending_->track->stream());
      pending_.reset();
      return true;
    case PlaybackOutput::Take::Failed: break;
  }
  outcome_.anyFailed = true;
  return false;
}

// The screen follows the track being played, or about to be once the one it named is let go.
void Session::nameFront() {
  TrackPlayback* playing = front();
  if (!playing || (playing->framesRendered() == 0 && shown_)) return;
  if (playing != shown_) {
    shown_ = playing;
    const size_t index = inHand_.front().index;
    const QueuedFile& file = source_.entry(index);
    frontEnd_.trackStarted(index, source_.count(), file.path, file.info.title, file.info.artist,
                           double(file.info.frames) / file.info.sampleRate);
  }
  frontEnd_.playedTo(playing->positionSeconds());
}

// The source goes on from position `target` (none: the queue has ended). The track playing is
// let go, reported as played so far; what is lined up after it stays only when it is the target
// of a move forward (a Next in a track's last seconds keeps the hand-over without a gap).
void Session::moveQueue(std::optional<size_t> target, bool back) {
  if (!inHand_.empty()) {
    output_.letGo(*inHand_.front().track);
    retire(inHand_.front());
    inHand_.pop_front();
  }
  const std::optional<size_t> lined = !inHand_.empty() ? std::optional<size_t>(inHand_.front().index)
                                      : pending_      ? std::optional<size_t>(pending_->index)
                                      : upcoming_     ? std::optional<size_t>(upcoming_->index)
                                                      : std::nullopt;
  if (!back && target && lined == target) return;
  while (!inHand_.empty()) {
    output_.letGo(*inHand_.front().track);
    retire(inHand_.front());
    inHand_.pop_front();
  }
  dropWaiting();
  source_.moveTo(target);
}

// Skips and seeks, with whatever plays the tracks held still while they change.
void Session::applyRequests() {
  output_.hold();
  retireFinished();  // one may have played out meanwhile
  SessionTrack* current = inHand_.empty() ? nullptr : &inHand_.front();
  if (transport_.skip != 0 && current) {
    const size_t index = current->index;
    const int skip = std::exchange(transport_.skip, 0);
    const SkipMove move = skip < 0 ? resolveSkip(skip, index, current->track->positionSeconds()) : SkipMove{};
    if (move.restart) {
      transport_.seekTo = 0.0;
    } else {
      std::optional<size_t> target = move.track;
      if (skip > 0) {
        // Next goes on in play order: round to the start when Repeat is on, else past the end.
        target = index;
        for (int i = 0; i < skip && target; ++i) target = source_.after(*target, false);
      }
      moveQueue(target, skip < 0);
      current = nullptr;  // a seek asked with the skip waits for the next track in hand
    }
  }
  if (transport_.seekTo && current) {
    TrackPlayback& track = *current->track;
    seekTrack(track, decoder_, *std::exchange(transport_.seekTo, std::nullopt),
              output_.seeksBuffered());
    if (&track == shown_) frontEnd_.playedTo(track.positionSeconds());
  }
  output_.release();
}

// Shuffle and Repeat as the transport has them now. Repeat lasts while something can still switch
// it off (the window, script steps to come); otherwise the queue ends at its end. What was lined
// up after the track playing followed the old order and goes.
void Session::followOrder() {
  if (inHand_.empty() && !ended_) return;  // taken in once a track is in hand
  const PlayOrder::Repeat repeat = frontEnd_.canStillAct() ? transport_.repeat : PlayOrder::Repeat::Off;
  if (repeat != transport_.repeat && !repeatEndNoted_) {
    repeatEndNoted_ = true;
    output_.beforeReport();
    reportRepeatEnds();
  }
  const bool reshuffle =
      transport_.shuffle != shuffled_ || (shuffled_ && transport_.shuffleGeneration != shuffleGeneration_);
  if (repeat == repeat_ && !reshuffle) return;
  // Held still, so the track playing is the one in front (one may have played out meanwhile).
  output_.hold();
  retireFinished();
  if (inHand_.empty() && !ended_) {
    output_.release();
    return;
  }
  repeat_ = repeat;
  source_.setRepeat(repeat);
  if (reshuffle) {
    shuffled_ = transport_.shuffle;
    shuffleGeneration_ = transport_.shuffleGeneration;
    const std::optional<size_t> current = inHand_.empty() ? std::nullopt : std::optional<size_t>(inHand_.front().index);
    if (const std::optional<size_t> now = source_.shuffle(shuffled_, current)) {
      inHand_.front().index = *now;
      shown_ = nullptr;  // the screen names its new place in the queue
    }
  }
  if (!inHand_.empty()) {
    dropAhead();
    source_.moveTo(source_.after(inHand_.front().index, true));
  }
  output_.release();
}

// The queue has played out. Without a window the session ends; with one, playing stops on the
// last track and the window waits for the listener. False when the session ends.
bool Session::endOfQueue() {
  if (!output_.waitsAtQueueEnd() || !frontEnd_.windowOpen()) return false;
  if (!ended_) {
    ended_ = true;
    transport_.paused = true;
    transport_.skip = 0;
    frontEnd_.playedTo(transport_.duration);
    session_.showControls();
  }
  return true;
}

// Playing starts again after the queue ended: at `from`, or from the start of the queue.
void Session::startAgain(std::optional<size_t> from) {
  ended_ = false;
  fruitless_ = 0;
  if (from)
    source_.moveTo(from);
  else
    source_.restart();
  transport_.paused = false;
  session_.showControls();
}

PlayOutcome Session::run() {
  for (;;) {
    if (StopRequest::requested()) {
      outcome_.interrupted = true;
      break;
    }
    // Files dropped on the window: once the queue has ended, playing goes on with them.
    const size_t known = source_.count();
    if (source_.takeNewEntries() > 0 && ended_) startAgain(known);
    retireFinished();
    if (!fillHand()) break;
    if (!upcoming_ && !pending_ && inHand_.empty() && source_.exhausted() && !endOfQueue()) break;
    nameFront();
    const PlaybackOutput::Turn turn = output_.turn(frontEnd_, front());
    if (turn == PlaybackOutput::Turn::Closed) {
      outcome_.interrupted = outcome_.closedByListener = true;
      break;
    }
    if (turn != PlaybackOutput::Turn::Taken) continue;
    // What the listener asked for in the turn takes effect now. After the end of the queue, Play
    // starts it again and Previous plays its last track; Next and seeks have nowhere to go.
    if (ended_) {
      const int skip = std::exchange(transport_.skip, 0);
      transport_.seekTo.reset();
      if (!transport_.paused) startAgain(std::nullopt);
      else if (skip < 0 && source_.count() > 0) startAgain(source_.count() - 1);
    }
    if (transport_.paused != paused_) output_.setPaused(paused_ = transport_.paused);
    followOrder();
    if (transport_.skip != 0 || (transport_.seekTo && !inHand_.empty())) applyRequests();
    if (transport_.skip != 0 && inHand_.empty() && !pending_ && !upcoming_ && source_.exhausted())
      transport_.skip = 0;  // nothing left to skip in
    if (paused_ && !frontEnd_.canStillAct()) {
      output_.beforeReport();
      reportPausedForGood();
      outcome_.anyFailed = true;
      break;
    }
    if (!output_.play(front(), paused_, frontEnd_)) {
      outcome_.anyFailed = true;
      break;
    }
  }
  output_.stop(outcome_.interrupted);  // from here on no other thread plays a track
  for (SessionTrack& track : inHand_) retire(track);
  inHand_.clear();
  dropWaiting();
  output_.finish(outcome_);
  return std::move(outcome_);
}

}  // namespace

PlayOutcome runPlaybackSession(PlayerSession& session, TrackSource& source, PlaybackOutput& output,
                               const TrackSettings& settings, SessionFrontEnd& frontEnd) {
  return Session(session, source, output, settings, frontEnd).run();
}

}  // namespace host
