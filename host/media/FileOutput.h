// A WAV file as a session's output, written as fast as the machine allows on media time. The
// main thread takes its turn at every block boundary and then runs the block through the tap;
// a writing thread (OutputWriter) writes what came out (and measures it, when the decoding
// thread does not), so the turn and the block
// strictly alternate and every change a timer makes lands on the same boundary on every run. A
// pause writes blocks of silence (not through the tap) while the clock and the turns go on.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "host/media/Doorbell.h"
#include "host/media/MediaClock.h"
#include "host/media/OutputWriter.h"
#include "host/media/PlaybackOutput.h"
#include "host/media/ProgressBar.h"

namespace host {

class WavFileSink;

class FileOutput final : public PlaybackOutput {
 public:
  // The file's format is `channels` at `sampleRate`; `totalSeconds` is what the progress bar
  // counts towards.
  FileOutput(WavFileSink& sink, int channels, double sampleRate, const TrackSettings& settings,
             MediaClock& clock, double totalSeconds, bool showProgress);

  size_t tracksInHand() const override { return 1; }
  std::optional<std::chrono::milliseconds> decoderLooksEvery() const override { return {}; }
  bool decoderGivesWay() const override { return true; }
  // Without a comparison stage what the writer gets is the tap's output as it is, and the
  // decoding thread measures it beside the input, both in one pass; with one, the writer
  // measures what the comparison lets through.
  bool measuresInStream() const override { return settings_.compare == nullptr; }
  bool seeksBuffered() const override { return false; }
  void streamOpened(TrackStream& stream, DecodeThread& decoder, bool nothingInHand) override;
  Take take(TrackPlayback& track, size_t index, size_t count, bool nothingInHand,
            std::string& why) override;
  Turn turn(SessionFrontEnd& frontEnd, TrackPlayback* front) override;
  bool play(TrackPlayback* front, bool paused, SessionFrontEnd& frontEnd) override;
  void beforeReport() override { progress_.done(); }
  void retire(std::unique_ptr<TrackPlayback> track, PlayOutcome& outcome) override;
  void stop(bool) override {}
  void finish(PlayOutcome& outcome) override;

 private:
  TrackSettings settings_;
  MediaClock& clock_;
  ProgressBar progress_;
  Doorbell doorbell_;  // the main thread sleeps on it for decoded blocks or room to write
  OutputWriter writer_;
  std::string label_;  // the track's place in the queue, for the progress bar
  // Reports the played tracks whose blocks the writer is done with (all of them with `all`), and
  // lets them go: a long queue keeps a report per track, not a track.
  void reportWritten(PlayOutcome& outcome, bool all);

  struct Played {
    std::unique_ptr<TrackPlayback> track;
    uint64_t blocksHanded;  // the writer's count once the track's last block was handed over
  };
  std::deque<Played> played_;  // retired, waiting for the writer to measure their last blocks
};

}  // namespace host
