// Ctrl-C while playing: the first SIGINT asks the player to stop cleanly (finish the track,
// close the file or the device, print the summary); the handler only sets a flag.
#pragma once

namespace host {

class StopRequest {
 public:
  StopRequest();   // installs the SIGINT handler
  ~StopRequest();  // restores the previous one
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  static bool requested();
};

}  // namespace host
