#include "host/media/StopRequest.h"

#include <atomic>
#include <csignal>
#include <iterator>

namespace host {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The process's signals may be delivered on any of its threads (decoding, writing, the sound
// device's), so the flag is a lock-free atomic rather than a plain sig_atomic_t.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only use lock-free atomics");
struct sigaction previousActions[std::size(kStopSignals)];

void onStopSignal(int signal) {
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);  // the first signal is the one reported
}

}  // namespace

StopRequest::StopRequest() {
  stopSignal.store(0);
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &action, &previousActions[i]);
}

StopRequest::~StopRequest() {
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &previousActions[i], nullptr);
}

bool StopRequest::requested() { return stopSignal.load() != 0; }

int StopRequest::exitStatus() { return 128 + stopSignal.load(); }

const char* StopRequest::signalName() {
  switch (stopSignal.load()) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "";
  }
}

}  // namespace host
