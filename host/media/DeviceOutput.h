// The sound device as a session's output. Its callback (the audio thread, through DeviceFeed)
// plays the track in hand and takes the next one with no gap; the main thread only waits for the
// front end between its looks at the device. A track of another sample rate is resampled to the
// device's after its tap; one with another channel count waits for the device to play out, then
// reopens it. Skips and seeks hold the audio thread still (DeviceSink::hold).
#pragma once

#include "host/media/DeviceSink.h"
#include "host/media/PlaybackOutput.h"

namespace host {

class DeviceOutput final : public PlaybackOutput {
 public:
  // `device` is open; `sessionStart` is the run loop's time the session's time runs from.
  DeviceOutput(DeviceSink& device, const TrackSettings& settings, double sessionStart)
      : device_(device), settings_(settings), start_(sessionStart) {}

  size_t tracksInHand() const override { return 2; }
  double secondsAheadWanted() const override;
  size_t mostTracksInHand() const override;
  std::optional<std::chrono::milliseconds> decoderLooksEvery() const override;
  bool measuresInStream() const override { return true; }
  bool seeksBuffered() const override { return true; }
  bool waitsAtQueueEnd() const override { return true; }
  void streamOpened(TrackStream& stream, DecodeThread& decoder, bool neededSoon) override;
  Take take(TrackPlayback& track, size_t index, size_t count, bool nothingInHand,
            std::string& why) override;
  void setPaused(bool paused) override { device_.setPaused(paused); }
  void hold() override { device_.hold(); }
  void release() override { device_.release(); }
  void letGo(const TrackPlayback& track) override { device_.letGo(&track); }
  Turn turn(SessionFrontEnd& frontEnd, TrackPlayback* front) override;
  bool play(TrackPlayback*, bool, SessionFrontEnd&) override { return true; }
  void retire(std::unique_ptr<TrackPlayback> track, PlayOutcome& outcome) override;
  void stop(bool interrupted) override;
  void finish(PlayOutcome&) override {}

 private:
  DeviceSink& device_;
  TrackSettings settings_;
  double start_;
  bool started_ = false;  // the device starts with the first track in hand: no leading silence
};

}  // namespace host
