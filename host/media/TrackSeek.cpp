#include "host/media/TrackSeek.h"

#include <cstdio>
#include <string>

#include "host/media/DecodeThread.h"
#include "host/media/TrackPlayback.h"
#include "host/text/MessageText.h"

namespace host {

void seekTrack(TrackPlayback& track, DecodeThread& decoder, double seconds, bool buffered) {
  const int64_t frame = track.frameAt(seconds);
  decoder.detach(track.stream());
  std::string error;
  if (track.seek(frame, error)) {
    if (buffered) track.stream().decodeUntilBuffered();
  } else if (!track.seekFailureReported) {
    track.seekFailureReported = true;
    while (!error.empty() && (error.back() == '.' || error.back() == ' ')) error.pop_back();
    std::fprintf(stderr, "tunely: cannot seek to %.2f s in %s: %s; it plays on\n",
                 double(frame) / track.sampleRate(), quotedPath(track.path()).c_str(), error.c_str());
  }
  decoder.attach(track.stream(), true);
}

}  // namespace host
