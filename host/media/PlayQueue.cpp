#include "host/media/PlayQueue.h"

#include <cstdio>

#include "host/text/MessageText.h"

namespace host {

void reportUnplayable(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "tunely: cannot play %s: %s\n", quotedPath(path).c_str(), why.c_str());
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
  const std::string others =
      count > 1 ? ", and so do " + std::to_string(count - 1) + " more tracks" : "";
  std::fprintf(stderr,
               "tunely: with --layout noninterleaved the equalizer leaves a stream of more than "
               "two channels unprocessed: %s (%d channels) plays unfiltered%s\n",
               quotedPath(first->path).c_str(), first->info.channels, others.c_str());
  return true;
}

void reportPausedForGood() {
  std::fprintf(stderr,
               "tunely: playback is paused and nothing is left to resume it (no window, no script "
               "steps to come); stopping\n");
}

void reportRepeatEnds() {
  std::fprintf(stderr,
               "tunely: Repeat ends with the queue: nothing is left to switch it off (no window, no "
               "script steps to come)\n");
}

bool reportDamage(TrackPlayback& track) {
  const TrackStream& stream = track.stream();
  if (stream.damage().empty()) return false;
  std::string why = stream.damage();
  while (!why.empty() && (why.back() == '.' || why.back() == ' ')) why.pop_back();
  std::fprintf(stderr,
               "tunely: %s is damaged %.2f s in (frame %lld): %s; it played up to there\n",
               quotedPath(track.path()).c_str(), double(stream.framesDecoded()) / track.sampleRate(),
               static_cast<long long>(stream.framesDecoded()), why.c_str());
  return true;
}

}  // namespace host
