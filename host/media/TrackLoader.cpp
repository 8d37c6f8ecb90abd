#include "host/media/TrackLoader.h"

#include "host/player/PlayerSession.h"

namespace host {

Outcome<std::unique_ptr<TrackStream>> openTrackStream(const std::string& path,
                                                      const TrackSettings& settings,
                                                      bool measureOutput) {
  return TrackStream::open(path, settings.blockFrames, settings.aheadSeconds, measureOutput);
}

std::unique_ptr<TrackPlayback> makeTrack(PlayerSession& session, const std::string& path,
                                         std::unique_ptr<TrackStream> stream,
                                         const TrackSettings& settings, bool prepareNow) {
  Ref<NSObject> item = session.makeQueueItem(path);
  MTAudioProcessingTapRef tap = PlayerSession::tapOf(PlayerSession::playerItemOf(item));
  auto track = std::make_unique<TrackPlayback>(path, std::move(stream), std::move(item), tap,
                                               settings.layout, settings.blockFrames);
  track->compareThrough(settings.compare);
  if (prepareNow) track->prepare();
  return track;
}

Outcome<std::unique_ptr<TrackPlayback>> loadTrack(PlayerSession& session, const std::string& path,
                                                  const TrackSettings& settings,
                                                  bool measureOutput) {
  Outcome<std::unique_ptr<TrackPlayback>> out;
  Outcome<std::unique_ptr<TrackStream>> stream = openTrackStream(path, settings, measureOutput);
  if (!stream) {
    out.error = stream.error;
    return out;
  }
  out.value = makeTrack(session, path, std::move(*stream.value), settings);
  return out;
}

}  // namespace host
