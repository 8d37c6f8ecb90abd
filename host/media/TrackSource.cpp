#include "host/media/TrackSource.h"

#include <algorithm>

namespace host {

OpenedEntry QueueSource::openNext(bool measureOutput) {
  OpenedEntry opened;
  opened.index = next_++;
  auto stream = openTrackStream(files_[opened.index].path, settings_, measureOutput);
  if (stream)
    opened.stream = std::move(*stream.value);
  else
    opened.error = stream.error;
  return opened;
}

void QueueSource::moveTo(size_t target, bool back) { next_ = back ? target : std::max(next_, target); }

}  // namespace host
