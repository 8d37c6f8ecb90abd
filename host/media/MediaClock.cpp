#include "host/media/MediaClock.h"

#include "foundation/NSRunLoop.h"

namespace host {

MediaClock::MediaClock() {
  NSRunLoop::mainRunLoop()->setClock([this] { return seconds_; });
}

MediaClock::~MediaClock() { NSRunLoop::mainRunLoop()->setClock(nullptr); }

}  // namespace host
