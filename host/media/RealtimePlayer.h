// Plays the queue on the sound device in real time: a playback session (PlaybackSession) from the
// queue of files to the device (DeviceOutput). The main thread runs the run loop by the wall
// clock (the controls' timers fire there). A pause makes the device play silence, the tracks
// left as they are; the taps stay prepared throughout; a track change goes through the queue,
// with a new queue item and its own tap.
#pragma once

#include <string>
#include <vector>

#include "host/media/DeviceSink.h"
#include "host/media/PlayQueue.h"

namespace host {

class SessionFrontEnd;

class RealtimePlayer {
 public:
  // Opens the sound device for the first track's format. False with the reason when there is
  // no sound device.
  bool openDevice(const AudioFileInfo& format, int64_t blockFrames, std::string& error);

  // Main thread; returns when the queue has played out or a stop signal (StopRequest) stopped
  // it. The files must be ones a sound device plays (see soundDeviceRefusal). A track of another
  // sample rate is resampled to the device's after its tap; one with another channel count waits
  // for the device to play out, then reopens it.
  PlayOutcome play(PlayerSession& session, const std::vector<QueuedFile>& files,
                   const TrackSettings& settings, SessionFrontEnd& frontEnd);

  const DeviceSink& device() const { return device_; }
  DeviceSink& device() { return device_; }

 private:
  DeviceSink device_;
};

}  // namespace host
