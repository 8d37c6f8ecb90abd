#include "host/media/RealtimePlayer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <thread>

#include "foundation/NSRunLoop.h"
#include "host/media/DecodeThread.h"
#include "host/media/StopRequest.h"
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
  DecodeThread decoder(kDecoderLooksEvery);  // the audio thread may not wake it
  std::deque<std::unique_ptr<TrackPlayback>> handedOver;  // the device's, until finished()
  std::unique_ptr<TrackPlayback> waiting;                 // loaded, not yet handed over
  bool waitingAtDeviceRate = false;                       // set up for the device as it is
  size_t nextFile = 0;
  bool started = false;  // the device starts with the first track in hand: no leading silence

  // A track no other thread plays any more: completes its measures, says if it was damaged.
  auto finishTrack = [&](TrackPlayback& track) {
    decoder.detach(track.stream());
    track.finish();
    if (reportDamage(track)) outcome.anyFailed = true;
  };

  const double start = runLoop->currentTime();  // the session's time runs from here
  std::map<const TrackPlayback*, size_t> fileIndex;  // each loaded track's place in the queue
  const TrackPlayback* shown = nullptr;              // the track the screen names
  for (;;) {
    if (StopRequest::requested()) {
      outcome.interrupted = true;
      break;
    }
    while (!handedOver.empty() && handedOver.front()->finished()) {
      finishTrack(*handedOver.front());
      outcome.reports.push_back(reportOf(*handedOver.front()));
      handedOver.pop_front();
    }
    // Load the next track once the last one in hand is decoded to its end, about a second before
    // it ends: its preparation (which may allocate) is done long before the audio thread needs
    // it, and its decoding follows on at once.
    const bool nearEnd = handedOver.empty() || (handedOver.size() == 1 &&
                                                handedOver.back()->stream().decodingFinished());
    if (!waiting && nextFile < files.size() && nearEnd) {
      const QueuedFile& file = files[nextFile++];
      auto loaded = loadTrack(session, file.path, settings, true);
      if (loaded) fileIndex[loaded.value->get()] = nextFile - 1;
      if (loaded) {
        waiting = std::move(*loaded.value);
        waitingAtDeviceRate = false;
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
    // The screen follows the track the device is playing.
    if (!handedOver.empty() && handedOver.front()->framesRendered() > 0) {
      const TrackPlayback* playing = handedOver.front().get();
      if (playing != shown) {
        shown = playing;
        const QueuedFile& file = files[fileIndex[playing]];
        frontEnd.trackStarted(fileIndex[playing], files.size(), file.path, file.info.title, file.info.artist,
                              double(file.info.frames) / file.info.sampleRate);
      }
      frontEnd.playedTo(double(playing->framesRendered()) / playing->sampleRate());
    }
    if (!frontEnd.wait(kLooksEvery, runLoop->currentTime() - start)) {
      outcome.interrupted = outcome.closedByListener = true;
      break;
    }
  }

  if (!outcome.interrupted && started) playOut(device_);
  device_.close();  // from here on the audio thread touches no track
  for (auto& track : handedOver) {
    finishTrack(*track);
    if (track->framesRendered() > 0) outcome.reports.push_back(reportOf(*track));
  }
  if (waiting) decoder.detach(waiting->stream());
  return outcome;
}

}  // namespace host
