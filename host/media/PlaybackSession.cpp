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
        decoder_(output.decoderLooksEvery()) {}

  PlayOutcome run();

 private:
  TrackPlayback* front() { return inHand_.empty() ? nullptr : inHand_.front().track.get(); }
  void retire(SessionTrack& done);
  void retireFinished();
  void openAhead();
  bool handOver();  // false when the output failed
  void nameFront();
  void moveQueue(size_t target, size_t current);
  void applyRequests();
  void dropWaiting();

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

// The next entry is opened once the last track in hand is decoded to its end, seconds before it
// ends, so its decoding follows on at once; entries that cannot be opened are reported.
void Session::openAhead() {
  const bool nearEnd = inHand_.empty() || (inHand_.size() == 1 &&
                                           inHand_.back().track->stream().decodingFinished());
  while (nearEnd && !upcoming_ && !pending_ && !source_.exhausted()) {
    OpenedEntry opened = source_.openNext(output_.measuresInStream());
    if (!opened.stream) {
      output_.beforeReport();
      reportUnplayable(source_.entry(opened.index).path, opened.error);
      outcome_.anyFailed = true;
      continue;
    }
    output_.streamOpened(*opened.stream, decoder_, inHand_.empty());
    decoder_.attach(*opened.stream);
    upcoming_ = std::move(opened);
  }
}

bool Session::handOver() {
  if (upcoming_ && !pending_ && inHand_.size() < output_.tracksInHand()) {
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

// The source goes on from entry `target`: the tracks in hand before it (all of them, going back)
// are let go, the one playing reported as played so far.
void Session::moveQueue(size_t target, size_t current) {
  const bool back = target < current;
  while (!inHand_.empty() && (back || inHand_.front().index < target)) {
    output_.letGo(*inHand_.front().track);
    retire(inHand_.front());
    inHand_.pop_front();
  }
  if (pending_ && (back || pending_->index < target)) {
    decoder_.detach(pending_->track->stream());
    pending_.reset();
  }
  if (upcoming_ && (back || upcoming_->index < target)) {
    decoder_.detach(*upcoming_->stream);
    upcoming_.reset();
  }
  source_.moveTo(target, back);
}

// Skips and seeks, with whatever plays the tracks held still while they change.
void Session::applyRequests() {
  output_.hold();
  retireFinished();  // one may have played out meanwhile
  SessionTrack* current = inHand_.empty() ? nullptr : &inHand_.front();
  if (transport_.skip != 0 && current) {
    const size_t index = current->index;
    const SkipMove move =
        resolveSkip(std::exchange(transport_.skip, 0), index, current->track->positionSeconds());
    if (move.restart) {
      transport_.seekTo = 0.0;
    } else {
      moveQueue(move.track, index);
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

PlayOutcome Session::run() {
  for (;;) {
    if (StopRequest::requested()) {
      outcome_.interrupted = true;
      break;
    }
    retireFinished();
    openAhead();
    if (!handOver()) break;
    if (!upcoming_ && !pending_ && inHand_.empty() && source_.exhausted()) break;
    nameFront();
    const PlaybackOutput::Turn turn = output_.turn(frontEnd_, front());
    if (turn == PlaybackOutput::Turn::Closed) {
      outcome_.interrupted = outcome_.closedByListener = true;
      break;
    }
    if (turn != PlaybackOutput::Turn::Taken) continue;
    // What the listener asked for in the turn takes effect now.
    if (transport_.paused != paused_) output_.setPaused(paused_ = transport_.paused);
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
