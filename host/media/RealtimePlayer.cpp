#include "host/media/RealtimePlayer.h"

#include "foundation/NSRunLoop.h"
#include "host/media/DeviceOutput.h"
#include "host/media/PlaybackSession.h"

namespace host {

bool RealtimePlayer::openDevice(const AudioFileInfo& format, int64_t blockFrames,
                                std::string& error) {
  return device_.open(format.sampleRate, format.channels, blockFrames, error);
}

PlayOutcome RealtimePlayer::play(PlayerSession& session, const std::vector<QueuedFile>& files,
                                 const TrackSettings& settings, SessionFrontEnd& frontEnd) {
  noteUnfilteredTracks(files, settings.layout);
  QueueSource source(files, settings);
  DeviceOutput output(device_, settings, NSRunLoop::mainRunLoop()->currentTime());
  return runPlaybackSession(session, source, output, settings, frontEnd);
}

}  // namespace host
