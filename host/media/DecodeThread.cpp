#include "host/media/DecodeThread.h"

#include <algorithm>

#include "host/media/BackgroundWork.h"
#include "host/media/TrackStream.h"

namespace host {

DecodeThread::DecodeThread(std::optional<std::chrono::milliseconds> pollInterval, bool givesWay)
    : pollInterval_(pollInterval), givesWay_(givesWay), thread_([this] { loop(); }) {}

DecodeThread::~DecodeThread() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  doorbell_.ring();
  thread_.join();
}

void DecodeThread::attach(TrackStream& stream, bool first) {
  {
    std::lock_guard lock(mutex_);
    streams_.insert(first ? streams_.begin() : streams_.end(), &stream);
    attached_ = true;
  }
  doorbell_.ring();
}

void DecodeThread::detach(TrackStream& stream) {
  std::unique_lock lock(mutex_);
  streams_.erase(std::remove(streams_.begin(), streams_.end(), &stream), streams_.end());
  idle_.wait(lock, [&] { return busyWith_ != &stream; });
}

TrackStream* DecodeThread::pickWork() {
  for (TrackStream* stream : streams_)
    if (stream->hasWork()) return stream;
  return nullptr;
}

void DecodeThread::loop() {
  if (givesWay_) markAsBackgroundWork();
  for (;;) {
    TrackStream* work = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (quit_) return;
      attached_ = false;
      work = busyWith_ = pickWork();
      if (!work) {
        // Nothing to do: ask to be woken once half a ring has been played.
        for (TrackStream* stream : streams_) stream->wakeProducerAt(stream->ring().size() / 2);
      }
    }
    if (work) {
      work->work();
      {
        std::lock_guard lock(mutex_);
        busyWith_ = nullptr;
      }
      idle_.notify_all();
      continue;
    }
    const auto ready = [this] {
      std::lock_guard lock(mutex_);
      return quit_ || attached_ ||
             std::any_of(streams_.begin(), streams_.end(), [](TrackStream* stream) {
               return stream->ring().producerMarkReached();
             });
    };
    if (pollInterval_) {
      doorbell_.wait(ready, *pollInterval_);
    } else {
      doorbell_.wait(ready);
    }
  }
}

}  // namespace host
