#include "host/media/FileOutput.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "host/media/DecodeThread.h"
#include "host/media/FlushToZeroScope.h"
#include "host/media/TrackPlayback.h"
#include "host/player/SessionFrontEnd.h"

namespace host {

FileOutput::FileOutput(WavFileSink& sink, int channels, double sampleRate,
                       const TrackSettings& settings, MediaClock& clock, double totalSeconds,
                       bool showProgress)
    : settings_(settings),
      clock_(clock),
      progress_(totalSeconds, showProgress),
      writer_(sink, channels, sampleRate, settings.blockFrames, settings.aheadSeconds,
              doorbell_) {}

void FileOutput::streamOpened(TrackStream& stream, DecodeThread& decoder, bool) {
  stream.ring().setDoorbells(&decoder.doorbell(), &doorbell_);
}

PlaybackOutput::Take FileOutput::take(TrackPlayback&, size_t index, size_t count, bool,
                                      std::string&) {
  label_ = std::to_string(index + 1) + "/" + std::to_string(count);
  return Take::Taken;
}

PlaybackOutput::Turn FileOutput::turn(SessionFrontEnd& frontEnd, TrackPlayback* front) {
  if (front) {
    bool endsThere = false;
    const int64_t ready = front->framesReady(&endsThere);
    if (ready < settings_.blockFrames && !endsThere) {  // decoding is behind: wait for it
      // This thread is the one every block waits for: it goes on as soon as one block is
      // there (the decoding thread, which can wait, is woken only every half ring).
      BlockRing& input = front->stream().ring();
      input.wakeConsumerAfterPublished(1);
      doorbell_.wait([&] {
        bool ends = false;
        return front->framesReady(&ends) >= settings_.blockFrames || ends;
      });
      return Turn::NotReady;
    }
    if (ready == 0) {  // the file ended with the previous block
      front->render(nullptr, settings_.blockFrames);
      return Turn::TrackEnded;
    }
  }
  // The main thread's turn comes at the block boundary, then the block goes through the tap.
  frontEnd.turn(clock_.seconds());
  return frontEnd.windowClosed() ? Turn::Closed : Turn::Taken;
}

bool FileOutput::play(TrackPlayback* front, bool paused, SessionFrontEnd& frontEnd) {
  if (!front) return true;
  bool ended = false;
  if (front->framesReady(&ended) == 0) {  // sought to the end
    front->render(nullptr, settings_.blockFrames);
    return true;
  }
  float* block = writer_.nextBlock();
  if (!block) return false;
  if (paused) {
    // Silence on the media clock, the track left where it is, until a turn resumes it.
    std::memset(block, 0, size_t(settings_.blockFrames) * size_t(front->channels()) * sizeof(float));
    writer_.write(settings_.blockFrames, nullptr, false);
    clock_.advance(settings_.blockFrames, front->sampleRate());
    progress_.update(clock_.seconds(), label_);
    // A person at the window needs time to resume: at full speed the silence would fill the
    // disk first. The media clock, and so the file, is the same either way.
    if (frontEnd.window())
      std::this_thread::sleep_for(
          std::chrono::duration<double>(double(settings_.blockFrames) / front->sampleRate()));
    return true;
  }
  int64_t rendered = 0;
  {
    FlushToZeroScope audioThreadMode;
    rendered = front->render(block, settings_.blockFrames, &ended);
  }
  TrackStream& stream = front->stream();
  writer_.write(rendered, stream.measuresOutput() ? nullptr : &stream, ended);
  clock_.advance(rendered, front->sampleRate());
  frontEnd.playedTo(front->positionSeconds());
  progress_.update(clock_.seconds(), label_);
  return true;
}

void FileOutput::retire(std::unique_ptr<TrackPlayback> track, PlayOutcome& outcome) {
  played_.push_back({std::move(track), writer_.blocksHanded()});
  reportWritten(outcome, false);
}

void FileOutput::reportWritten(PlayOutcome& outcome, bool all) {
  while (!played_.empty() && (all || writer_.doneWith(played_.front().blocksHanded))) {
    TrackPlayback& track = *played_.front().track;
    track.stream().output().finish();  // a track stopped in the middle has no last block
    outcome.reports.push_back(reportOf(track));
    played_.pop_front();
  }
}

void FileOutput::finish(PlayOutcome& outcome) {
  progress_.done();
  if (!writer_.finish(outcome.outputError)) outcome.anyFailed = true;
  reportWritten(outcome, true);
}

}  // namespace host
