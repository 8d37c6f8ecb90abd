#include "host/media/StopRequest.h"

#include <csignal>

namespace host {
namespace {

volatile std::sig_atomic_t stopFlag = 0;
struct sigaction previousAction;

void onInterrupt(int) { stopFlag = 1; }

}  // namespace

StopRequest::StopRequest() {
  stopFlag = 0;
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousAction);
}

StopRequest::~StopRequest() { sigaction(SIGINT, &previousAction, nullptr); }

bool StopRequest::requested() { return stopFlag != 0; }

}  // namespace host
