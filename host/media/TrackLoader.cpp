#include "host/media/TrackLoader.h"

#include "host/player/PlayerSession.h"

namespace host {

Outcome<std::unique_ptr<TrackPlayback>> loadTrack(PlayerSession& session, const std::string& path,
                                                  const TrackSettings& settings) {
  Outcome<std::unique_ptr<TrackPlayback>> out;
  Outcome<DecodedAudio> audio = decodeAudioFile(path);
  if (!audio) {
    out.error = audio.error;
    return out;
  }
  Ref<NSObject> item = session.makeQueueItem(path);
  MTAudioProcessingTapRef tap = PlayerSession::tapOf(PlayerSession::playerItemOf(item));
  auto track = std::make_unique<TrackPlayback>(path, std::move(*audio.value), std::move(item), tap,
                                               settings.layout, settings.blockFrames);
  track->prepare();
  out.value = std::move(track);
  return out;
}

}  // namespace host
