#include "host/media/StopRequest.h"

#include <csignal>
#include <iterator>

namespace host {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t stopSignal = 0;
struct sigaction previousActions[std::size(kStopSignals)];

void onStopSignal(int signal) {
  if (stopSignal == 0) stopSignal = signal;
}

}  // namespace

StopRequest::StopRequest() {
  stopSignal = 0;
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // The handlers must not run into each other: the first signal is the one reported.
  for (int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &action, &previousActions[i]);
}

StopRequest::~StopRequest() {
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &previousActions[i], nullptr);
}

bool StopRequest::requested() { return stopSignal != 0; }

int StopRequest::signal() { return stopSignal; }

int StopRequest::exitStatus() { return 128 + stopSignal; }

const char* StopRequest::signalName() {
  switch (stopSignal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "";
  }
}

}  // namespace host
