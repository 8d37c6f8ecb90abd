#include "host/media/RealtimePlayer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <thread>
#include <utility>

#include "foundation/NSRunLoop.h"
#include "host/media/DecodeThread.h"
#include "host/media/StopRequest.h"
#include "host/media/TrackSeek.h"
#include "host/player/SessionFrontEnd.h"

namespace host {
namespace {

using namespace std::chrono_literals;

// How long the loop may sleep between its looks at the device: long enough for an idle player to
// cost next to nothing, short enough that a hand-over (a second ahead) or Ctrl-C never waits
// noticeably. The front end wakes it sooner for input, timers and script steps.
constexpr double kLooksEvery = 0.02;

// Lets the device play what its buffers still hold.
void playOut(const DeviceSink& device) {
  std::this_thread::sleep_for(std::chrono::duration<double>(2 * device.bufferSeconds()) + 50ms);
}

// The audio thread never wakes the decoding thread, so it looks by itself this often: a small
// share of the second it keeps decoded ahead.
constexpr std::chrono::milliseconds kDecoderLooksEvery{10};

}  // namespace

bool RealtimePlayer::openDevice(const AudioFileInfo& format, int64_t blockFrames,
                                std::string& error) {
  return device_.open(format.sampleRate, format.channels, blockFrames, error);
}

PlayOutcome RealtimePlayer::play(PlayerSession& session, const std::vector<QueuedFile>& files,
                                 const TrackSettings& settings, SessionFrontEnd& frontEnd) {
  PlayOutcome outcome;
  noteUnfilteredTracks(files, settings.layout);
  NSRunLoop* runLoop = NSRunLoop::mainRunLoop();
  PlayerTransport& transport = session.transport();
  DecodeThread decoder(kDecoderLooksEvery);  // the audio thread may not wake it
  std::deque<std::unique_ptr<TrackPlayback>> handedOver;  // the device's, until finished()
  std::unique_ptr<TrackPlayback> waiting;                 // loaded, not yet handed over
  bool waitingAtDeviceRate = false;                       // set up for the device as it is
  size_t nextFile = 0;
  bool started = false;  // the device starts with the first track in hand: no leading silence
  bool paused = false;
  std::map<const TrackPlayback*, size_t> fileIndex;  // each loaded track's place in the queue
  const TrackPlayback* shown = nullptr;              // the track the screen names

  // A track no other thread plays any more: completes its measures, says if it was damaged, and
  // is reported when it played.
  auto retire = [&](TrackPlayback& track) {
    decoder.detach(track.stream());
    track.finish();
    if (reportDamage(track)) outcome.anyFailed = true;
    if (track.framesRendered() > 0) outcome.reports.push_back(reportOf(track));
    if (&track == shown) shown = nullptr;
    fileIndex.erase(&track);
  };
  auto retireFinished = [&] {
    while (!handedOver.empty() && handedOver.front()->finished()) {
      retire(*handedOver.front());
      handedOver.pop_front();
    }
  };
  // The queue goes on from track `target`: the tracks in hand before it (all of them, going
  // back) are let go, the one playing reported as played so far.
  auto moveQueue = [&](size_t target, size_t current) {
    const bool back = target < current;
    while (!handedOver.empty() && (back || fileIndex[handedOver.front().get()] < target)) {
      device_.letGo(handedOver.front().get());
      retire(*handedOver.front());
      handedOver.pop_front();
    }
    if (waiting && (back || fileIndex[waiting.get()] < target)) {
      decoder.detach(waiting->stream());
      fileIndex.erase(waiting.get());
      waiting.reset();
    }
    nextFile = back ? target : std::max(nextFile, target);
  };
  // Skips and seeks, with the audio thread held still while the tracks change.
  auto applyRequests = [&] {
    device_.hold();
    retireFinished();  // the device may have played one out meanwhile
    TrackPlayback* current = handedOver.empty() ? nullptr : handedOver.front().get();
    if (transport.skip != 0 && current) {
      const size_t index = fileIndex[current];
      const SkipMove move =
          resolveSkip(std::exchange(transport.skip, 0), index, current->positionSeconds());
      if (move.restart) {
        transport.seekTo = 0.0;
      } else {
        moveQueue(move.track, index);
        current = nullptr;  // a seek asked with the skip waits for the next track in hand
      }
    }
    if (transport.seekTo && current) {
      seekTrack(*current, decoder, *std::exchange(transport.seekTo, std::nullopt), true);
      if (current == shown) frontEnd.playedTo(current->positionSeconds());
    }
    device_.release();
  };

  const double start = runLoop->currentTime();  // the session's time runs from here
  for (;;) {
    if (StopRequest::requested()) {
      outcome.interrupted = true;
      break;
    }
    retireFinished();
    // The listener's requests from the last turn.
    if (transport.paused != paused) device_.setPaused(paused = transport.paused);
    if (transport.skip != 0 || (transport.seekTo && !handedOver.empty())) applyRequests();
    if (transport.skip != 0 && handedOver.empty() && !waiting && nextFile >= files.size())
      transport.skip = 0;  // nothing left to skip in
    if (paused && !frontEnd.canStillAct()) {
      reportPausedForGood();
      outcome.anyFailed = true;
      break;
    }
    // Load the next track once the last one in hand is decoded to its end, about a second before
    // it ends: its preparation (which may allocate) is done long before the audio thread needs
    // it, and its decoding follows on at once.
    const bool nearEnd = handedOver.empty() || (handedOver.size() == 1 &&
                                                handedOver.back()->stream().decodingFinished());
    if (!waiting && nextFile < files.size() && nearEnd) {
      const QueuedFile& file = files[nextFile++];
      auto loaded = loadTrack(session, file.path, settings, true);
      if (loaded) {
        waiting = std::move(*loaded.value);
        fileIndex[waiting.get()] = nextFile - 1;
        waitingAtDeviceRate = false;
        // With nothing in hand on a running device (after a skip), it plays as soon as it is
        // handed over: decode enough here not to run dry.
        if (started && handedOver.empty()) waiting->stream().decodeUntilBuffered();
        decoder.attach(waiting->stream());
      } else {
        reportUnplayable(file.path, loaded.error);
        outcome.anyFailed = true;
      }
    }
    if (waiting && waiting->channels() != device_.channels() && handedOver.empty()) {
      playOut(device_);
      std::string error;
      if (!device_.open(waiting->sampleRate(), waiting->channels(), settings.blockFrames, error)) {
        std::fprintf(stderr, "tunely: cannot reopen the sound device for \"%s\": %s\n",
                     waiting->path().c_str(), error.c_str());
        outcome.anyFailed = true;
        break;
      }
      started = false;
      waitingAtDeviceRate = false;
    }
    if (waiting && waiting->channels() == device_.channels()) {
      std::string error;
      if (!waitingAtDeviceRate && !waiting->playAtRate(device_.sampleRate(), error)) {
        reportUnplayable(waiting->path(), "cannot resample it to the sound device's rate: " + error);
        outcome.anyFailed = true;
        decoder.detach(waiting->stream());
        fileIndex.erase(waiting.get());
        waiting.reset();
        continue;
      }
      waitingAtDeviceRate = true;
      if (device_.handOver(waiting.get())) handedOver.push_back(std::move(waiting));
    }
    if (!waiting && handedOver.empty() && nextFile >= files.size()) break;
    if (!started && !handedOver.empty() && handedOver.front()->stream().bufferedEnough()) {
      device_.start();
      started = true;
    }
    // The screen follows the track the device is playing, or is about to play once the one it
    // named has been let go.
    if (!handedOver.empty() && (handedOver.front()->framesRendered() > 0 || !shown)) {
      const TrackPlayback* playing = handedOver.front().get();
      if (playing != shown) {
        shown = playing;
        const QueuedFile& file = files[fileIndex[playing]];
        frontEnd.trackStarted(fileIndex[playing], files.size(), file.path, file.info.title, file.info.artist,
                              double(file.info.frames) / file.info.sampleRate);
      }
      frontEnd.playedTo(playing->positionSeconds());
    }
    if (!frontEnd.wait(kLooksEvery, runLoop->currentTime() - start)) {
      outcome.interrupted = outcome.closedByListener = true;
      break;
    }
  }

  if (!outcome.interrupted && started) playOut(device_);
  device_.close();  // from here on the audio thread touches no track
  for (auto& track : handedOver) retire(*track);
  if (waiting) decoder.detach(waiting->stream());
  return outcome;
}

}  // namespace host
