#include "host/media/RenderThread.h"

#include "coreaudio/AudioThread.h"

namespace host {

RenderThread::RenderThread() : thread_([this] { loop(); }) {}

RenderThread::~RenderThread() {
  quit_ = true;
  start_.release();
  thread_.join();
}

void RenderThread::run(void (*job)(void*), void* context) {
  job_ = job;
  context_ = context;
  start_.release();  // publishes job_ and context_ to the audio thread
  done_.acquire();   // and its results back to this one
}

void RenderThread::loop() {
  AudioThreadEnableFlushToZero();
  for (;;) {
    start_.acquire();
    if (quit_) return;
    job_(context_);
    done_.release();
  }
}

}  // namespace host
