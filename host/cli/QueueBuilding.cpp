#include "host/cli/QueueBuilding.h"

#include "host/cli/QueueExpansion.h"
#include "host/media/OfflineRenderer.h"
#include "host/media/OggChain.h"
#include "host/media/SoundDeviceLimits.h"

namespace host {

std::vector<QueuedFile> probeQueue(const std::vector<std::string>& paths, bool live, bool& anyFailed) {
  std::vector<QueuedFile> queue;
  for (const std::string& path : paths) {
    Outcome<AudioFileInfo> info = probeAudioFile(path);
    std::string refusal = info ? std::string() : info.error;
    if (info && live) refusal = soundDeviceRefusal(info.value->sampleRate, info.value->channels);
    if (refusal.empty()) {
      noteChainedOgg(path);
      queue.push_back({path, *info.value});
    } else {
      reportUnplayable(path, refusal);
      anyFailed = true;
    }
  }
  return queue;
}

size_t addToQueue(const std::string& path, bool live, std::vector<QueuedFile>& queue, bool& anyFailed) {
  std::vector<QueuedFile> added = probeQueue(expandQueuePaths({path}, anyFailed), live, anyFailed);
  size_t taken = 0;
  for (QueuedFile& file : added) {
    const std::string mismatch = live || queue.empty() ? std::string() : findFormatMismatch({queue.front(), file});
    if (!mismatch.empty()) {
      reportUnplayable(file.path, mismatch);
      anyFailed = true;
      continue;
    }
    queue.push_back(std::move(file));
    ++taken;
  }
  return taken;
}

}  // namespace host
