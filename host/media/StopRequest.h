// Stopping the player from outside: Ctrl-C (SIGINT), SIGTERM (as `kill` and `timeout` send it)
// and SIGHUP (the terminal went away) all ask the player to stop cleanly at the next block:
// close the file with a correct header or let go of the device, print the summary, and exit with
// 128 plus the signal's number, as a shell reports a process the signal ended. The handler only
// records the signal.
#pragma once

namespace host {

class StopRequest {
 public:
  StopRequest();   // installs the handlers
  ~StopRequest();  // restores the previous ones
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  static bool requested();
  // For the first signal that asked to stop: the exit status (128 + its number) and its name
  // ("SIGINT", "SIGTERM" or "SIGHUP").
  static int exitStatus();
  static const char* signalName();
};

}  // namespace host
