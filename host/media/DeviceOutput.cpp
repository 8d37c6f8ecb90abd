#include "host/media/DeviceOutput.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "foundation/NSRunLoop.h"
#include "host/media/SoundDeviceLimits.h"
#include "host/media/TrackPlayback.h"
#include "host/player/SessionFrontEnd.h"
#include "host/text/MessageText.h"

namespace host {
namespace {

using namespace std::chrono_literals;

// How long the loop may sleep between its looks at the device: long enough for an idle player to
// cost next to nothing, short enough that a hand-over or Ctrl-C never waits noticeably. The front
// end wakes it sooner for input, timers and script steps.
constexpr double kLooksEvery = 0.02;

// Lets the device play what its buffers still hold.
void playOut(const DeviceSink& device) {
  std::this_thread::sleep_for(std::chrono::duration<double>(2 * device.bufferSeconds()) + 50ms);
}

}  // namespace

// The audio thread never wakes the decoding thread, so it looks by itself this often: a small
// share of the seconds it keeps decoded ahead.
std::optional<std::chrono::milliseconds> DeviceOutput::decoderLooksEvery() const { return 10ms; }

// Four of the device's buffers and a few of the main thread's looks away, so a callback that
// ends a short track finds the next ones already handed over even when the main thread is late.
double DeviceOutput::secondsAheadWanted() const { return 4 * device_.bufferSeconds() + 5 * kLooksEvery; }

size_t DeviceOutput::mostTracksInHand() const { return DeviceFeed::kHandOverSlots + 1; }

void DeviceOutput::streamOpened(TrackStream& stream, DecodeThread&, bool neededSoon) {
  // With nothing in hand (at the start, after a skip), or only short tracks, it plays as soon as
  // it is handed over: decode enough here not to run dry. Before the device starts this also
  // lets the session fill its hand first, so the first callback does not run out.
  if (neededSoon) stream.decodeUntilBuffered();
}

PlaybackOutput::Take DeviceOutput::take(TrackPlayback& track, size_t, size_t, bool nothingInHand,
                                        std::string& why) {
  // The file may have changed since the queue was checked: one the device cannot play is
  // refused by name and the queue goes on, rather than failing to reopen the device.
  if (why = soundDeviceRefusal(track.sampleRate(), track.channels()); !why.empty()) return Take::Refused;
  if (track.channels() != device_.channels()) {
    if (!nothingInHand) return Take::NotYet;
    playOut(device_);
    std::string error;
    if (!device_.open(track.sampleRate(), track.channels(), settings_.blockFrames, error)) {
      std::fprintf(stderr, "tunely: cannot reopen the sound device for %s: %s\n",
                   quotedPath(track.path()).c_str(), error.c_str());
      return Take::Failed;
    }
    started_ = false;
  }
  std::string error;
  if (track.playRate() != device_.sampleRate() && !track.playAtRate(device_.sampleRate(), error)) {
    why = "cannot resample it to the sound device's rate: " + error;
    return Take::Refused;
  }
  return device_.handOver(&track) ? Take::Taken : Take::NotYet;
}

PlaybackOutput::Turn DeviceOutput::turn(SessionFrontEnd& frontEnd, TrackPlayback* front) {
  if (!started_ && front && front->stream().bufferedEnough()) {
    device_.start();
    started_ = true;
  }
  const double now = NSRunLoop::mainRunLoop()->currentTime() - start_;
  return frontEnd.wait(kLooksEvery, now) ? Turn::Taken : Turn::Closed;
}

void DeviceOutput::retire(std::unique_ptr<TrackPlayback> track, PlayOutcome& outcome) {
  if (track->framesRendered() > 0) outcome.reports.push_back(reportOf(*track));
}

void DeviceOutput::stop(bool interrupted) {
  if (!interrupted && started_) playOut(device_);
  device_.close();  // from here on the audio thread touches no track
}

}  // namespace host
