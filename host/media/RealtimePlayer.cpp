#include "host/media/RealtimePlayer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <thread>

#include "foundation/NSRunLoop.h"
#include "host/media/DecodeThread.h"
#include "host/media/StopRequest.h"

namespace host {
namespace {

using namespace std::chrono_literals;

// Sleeps until the next timer is due, but never so long that a hand-over or Ctrl-C waits.
void waitForWork(NSRunLoop* runLoop) {
  auto wait = std::chrono::duration<double>(0.005);
  if (auto due = runLoop->nextFireDate())
    wait = std::clamp(std::chrono::duration<double>(*due - runLoop->currentTime()),
                      std::chrono::duration<double>(0), wait);
  std::this_thread::sleep_for(wait);
}

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
                                 const TrackSettings& settings) {
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

  for (;;) {
    runLoop->fireDueTimers();
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
    waitForWork(runLoop);
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
