// Flush-to-zero and denormals-are-zero for the calling thread while in scope, as an audio thread
// runs; the thread's previous floating-point mode comes back at the end. For a thread that calls
// the tap's process between other work (the offline render's main thread), so that work keeps
// IEEE arithmetic.
#pragma once

namespace host {

class FlushToZeroScope {
 public:
  FlushToZeroScope();
  ~FlushToZeroScope();
  FlushToZeroScope(const FlushToZeroScope&) = delete;
  FlushToZeroScope& operator=(const FlushToZeroScope&) = delete;

 private:
  unsigned long saved_;
};

}  // namespace host
