#include "host/media/RealtimePlayer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <thread>

#include "foundation/NSRunLoop.h"
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

bool sameFormat(const DeviceSink& device, const TrackPlayback& track) {
  return device.sampleRate() == track.sampleRate() && device.channels() == track.channels();
}

}  // namespace

bool RealtimePlayer::openDevice(const AudioFileInfo& format, int64_t blockFrames,
                                std::string& error) {
  return device_.open(format.sampleRate, format.channels, blockFrames, error);
}

PlayOutcome RealtimePlayer::play(PlayerSession& session, const std::vector<QueuedFile>& files,
                                 const TrackSettings& settings) {
  PlayOutcome outcome;
  NSRunLoop* runLoop = NSRunLoop::mainRunLoop();
  std::deque<std::unique_ptr<TrackPlayback>> handedOver;  // the device's, until finished()
  std::unique_ptr<TrackPlayback> waiting;                 // loaded, not yet handed over
  size_t nextFile = 0;
  bool started = false;  // the device starts with the first track in hand: no leading silence

  for (;;) {
    runLoop->fireDueTimers();
    if (StopRequest::requested()) {
      outcome.interrupted = true;
      break;
    }
    while (!handedOver.empty() && handedOver.front()->finished()) {
      handedOver.front()->finish();
      outcome.reports.push_back(reportOf(*handedOver.front()));
      handedOver.pop_front();
    }
    // Load the next track about a second before the current one ends, so that its preparation
    // (which may allocate) is done long before the audio thread needs it.
    const double lookahead = std::max(1.0, 4 * device_.bufferSeconds());
    const bool nearEnd = handedOver.empty() || (handedOver.size() == 1 &&
                                                double(handedOver.back()->framesLeft()) <
                                                    lookahead * handedOver.back()->sampleRate());
    if (!waiting && nextFile < files.size() && nearEnd) {
      const QueuedFile& file = files[nextFile++];
      auto loaded = loadTrack(session, file.path, settings);
      if (loaded) {
        waiting = std::move(*loaded.value);
      } else {
        reportUnplayable(file.path, loaded.error);
        outcome.anyFailed = true;
      }
    }
    if (waiting && !sameFormat(device_, *waiting) && handedOver.empty()) {
      playOut(device_);
      std::string error;
      if (!device_.open(waiting->sampleRate(), waiting->channels(), settings.blockFrames, error)) {
        std::fprintf(stderr, "tunely: cannot reopen the sound device for \"%s\": %s\n",
                     waiting->path().c_str(), error.c_str());
        outcome.anyFailed = true;
        break;
      }
      started = false;
    }
    if (waiting && sameFormat(device_, *waiting) && device_.handOver(waiting.get()))
      handedOver.push_back(std::move(waiting));
    if (!waiting && handedOver.empty() && nextFile >= files.size()) break;
    if (!started && !handedOver.empty()) {
      device_.start();
      started = true;
    }
    waitForWork(runLoop);
  }

  if (!outcome.interrupted && started) playOut(device_);
  device_.close();  // from here on the audio thread touches no track
  for (auto& track : handedOver) {
    track->finish();
    if (track->frames() > track->framesLeft()) outcome.reports.push_back(reportOf(*track));
  }
  return outcome;
}

}  // namespace host
