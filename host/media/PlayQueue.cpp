#include "host/media/PlayQueue.h"

#include <cstdio>

namespace host {

void reportUnplayable(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "tunely: cannot play \"%s\": %s\n", path.c_str(), why.c_str());
}

bool noteUnfilteredTracks(const std::vector<QueuedFile>& files, SampleLayout layout) {
  int count = 0;
  const QueuedFile* first = nullptr;
  for (const QueuedFile& f : files) {
    if (equalizerFilters(layout, f.info.channels)) continue;
    if (!first) first = &f;
    ++count;
  }
  if (!first) return false;
  const std::string others = count > 1 ? " and " + std::to_string(count - 1) + " more" : "";
  std::fprintf(stderr,
               "tunely: the equalizer leaves a stream of more than two channels unprocessed when "
               "each channel comes in a buffer of its own: \"%s\" (%d channels)%s plays "
               "unfiltered; without --layout noninterleaved it goes to the equalizer "
               "interleaved\n",
               first->path.c_str(), first->info.channels, others.c_str());
  return true;
}

bool reportDamage(TrackPlayback& track) {
  const TrackStream& stream = track.stream();
  if (stream.damage().empty()) return false;
  std::fprintf(stderr,
               "tunely: \"%s\" is damaged after %.2f s (frame %lld): %s; it played up to there\n",
               track.path().c_str(), double(stream.framesDecoded()) / track.sampleRate(),
               static_cast<long long>(stream.framesDecoded()), stream.damage().c_str());
  return true;
}

}  // namespace host
