#include "host/media/OfflineRenderer.h"

#include <cstdio>
#include <vector>

#include "foundation/NSRunLoop.h"
#include "host/media/ProgressBar.h"
#include "host/media/RenderThread.h"
#include "host/media/StopRequest.h"

namespace host {
namespace {

std::string describeFormat(const AudioFileInfo& info) {
  return std::to_string(int64_t(info.sampleRate)) + " Hz, " + std::to_string(info.channels) +
         (info.channels == 1 ? " channel" : " channels");
}

double totalSeconds(const std::vector<QueuedFile>& files) {
  double total = 0;
  for (const QueuedFile& f : files) total += double(f.info.frames) / f.info.sampleRate;
  return total;
}

}  // namespace

std::string findFormatMismatch(const std::vector<QueuedFile>& files) {
  if (files.empty()) return {};
  const AudioFileInfo& first = files.front().info;
  for (const QueuedFile& f : files) {
    if (f.info.sampleRate != first.sampleRate || f.info.channels != first.channels)
      return "\"" + f.path + "\" has " + describeFormat(f.info) + " but \"" + files.front().path +
             "\" has " + describeFormat(first) +
             "; every track rendered into one file must share sample rate and channel count";
  }
  return {};
}

PlayOutcome renderOffline(PlayerSession& session, const std::vector<QueuedFile>& files,
                          const TrackSettings& settings, MediaClock& clock, WavFileSink& sink,
                          bool showProgress) {
  PlayOutcome outcome;
  RenderThread audioThread;
  ProgressBar progress(totalSeconds(files), showProgress);
  NSRunLoop* runLoop = NSRunLoop::mainRunLoop();
  std::vector<float> block;

  bool stopped = false;
  for (size_t index = 0; index < files.size() && !stopped; ++index) {
    const QueuedFile& file = files[index];
    auto loaded = loadTrack(session, file.path, settings);
    if (!loaded) {
      reportUnplayable(file.path, loaded.error);
      outcome.anyFailed = true;
      continue;
    }
    TrackPlayback& track = **loaded.value;
    block.resize(size_t(settings.blockFrames) * size_t(track.channels()));
    const std::string label = std::to_string(index + 1) + "/" + std::to_string(files.size());

    int64_t rendered = 0;
    auto renderBlock = [&] { rendered = track.render(block.data(), settings.blockFrames); };
    while (!track.finished()) {
      if (StopRequest::requested()) {
        outcome.interrupted = stopped = true;
        break;
      }
      runLoop->fireDueTimers();
      audioThread.run(renderBlock);
      std::string error;
      if (!sink.write(block.data(), rendered, error)) {
        progress.done();
        std::fprintf(stderr, "tunely: cannot write the output file: %s\n", error.c_str());
        outcome.anyFailed = stopped = true;
        break;
      }
      clock.advance(rendered, track.sampleRate());
      progress.update(clock.seconds(), label);
    }
    track.finish();
    outcome.reports.push_back(reportOf(track));
  }
  progress.done();
  return outcome;
}

}  // namespace host
