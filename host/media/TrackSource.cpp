#include "host/media/TrackSource.h"

namespace host {

OpenedEntry QueueSource::openNext(bool measureOutput) {
  OpenedEntry opened;
  opened.index = *next_;
  next_ = order_.after(opened.index, repeat_, true);
  auto stream = openTrackStream(entry(opened.index).path, settings_, measureOutput);
  if (stream)
    opened.stream = std::move(*stream.value);
  else
    opened.error = stream.error;
  return opened;
}

std::optional<size_t> QueueSource::shuffle(bool on, std::optional<size_t> current) {
  return order_.shuffle(on, current);
}

void QueueSource::restart() {
  order_.restart();
  next_ = 0;
}

size_t QueueSource::takeNewEntries() {
  const size_t before = order_.count();
  if (files_.size() <= before) return 0;
  order_.resize(files_.size());
  if (exhausted()) next_ = before;  // the added entries join the end of the order
  return files_.size() - before;
}

}  // namespace host
