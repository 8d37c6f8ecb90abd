// The queue a session plays, built from paths: expanded (QueueExpansion), then each file probed
// for its format. What cannot be played is reported in the form every track failure takes and
// left out.
#pragma once

#include <string>
#include <vector>

#include "host/media/PlayQueue.h"

namespace host {

// The files that can be played (on the sound device, when `live`), with their formats.
std::vector<QueuedFile> probeQueue(const std::vector<std::string>& paths, bool live, bool& anyFailed);

// A file, folder or playlist dropped on the window joins the end of `queue`, as the command
// line's would. Rendering into one file (not `live`), a track must share the first one's format.
// Answers how many tracks joined.
size_t addToQueue(const std::string& path, bool live, std::vector<QueuedFile>& queue, bool& anyFailed);

}  // namespace host
