#include "host/media/OfflineRenderer.h"

#include "host/media/FileOutput.h"
#include "host/media/PlaybackSession.h"
#include "host/text/MessageText.h"

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
      return quotedPath(f.path) + " has " + describeFormat(f.info) + " but " +
             quotedPath(files.front().path) + " has " + describeFormat(first) +
             "; every track rendered into one file must share sample rate and channel count";
  }
  return {};
}

PlayOutcome renderOffline(PlayerSession& session, const std::vector<QueuedFile>& files,
                          const TrackSettings& settings, MediaClock& clock, WavFileSink& sink,
                          bool showProgress, SessionFrontEnd& frontEnd) {
  if (files.empty()) return {};
  noteUnfilteredTracks(files, settings.layout);
  QueueSource source(files, settings);
  FileOutput output(sink, files.front().info.channels, files.front().info.sampleRate, settings,
                    clock, totalSeconds(files), showProgress);
  return runPlaybackSession(session, source, output, settings, frontEnd);
}

}  // namespace host
