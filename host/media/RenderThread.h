// The offline render's audio thread: runs one block at a time for the main thread, which waits.
// Keeping the blocks on their own thread gives the tap the same arrangement as on the phone: the
// run loop and the controls on the main thread, the process callback on an audio thread with
// flush-to-zero set.
#pragma once

#include <semaphore>
#include <thread>

namespace host {

class RenderThread {
 public:
  RenderThread();
  ~RenderThread();
  RenderThread(const RenderThread&) = delete;
  RenderThread& operator=(const RenderThread&) = delete;

  // Runs job(context) on the audio thread and returns when it is done.
  void run(void (*job)(void*), void* context);

  template <class F>
  void run(F& f) {
    run([](void* c) { (*static_cast<F*>(c))(); }, &f);
  }

 private:
  void loop();

  std::binary_semaphore start_{0}, done_{0};
  void (*job_)(void*) = nullptr;
  void* context_ = nullptr;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace host
