// A PipeWire server of the test's own: the daemon with a null sink ("null-sink") and no sound
// card, and WirePlumber beside it on a session bus of its own, all in a temporary
// XDG_RUNTIME_DIR. Stopped at the end, each process by the id it was started with.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace tunely_test {

class PrivatePipeWire {
 public:
  // Empty when pipewire, wireplumber, dbus-run-session, pw-play or pw-record is missing.
  static std::string missingBinary();

  // `folder` holds the runtime folder, the configuration and the logs; the graph runs at `rate`.
  PrivatePipeWire(const std::string& folder, int rate);
  ~PrivatePipeWire();
  PrivatePipeWire(const PrivatePipeWire&) = delete;
  PrivatePipeWire& operator=(const PrivatePipeWire&) = delete;

  // Whether the null sink appeared (within 15 s).
  bool ready() const { return ready_; }
  // What a client needs to reach this server.
  const std::map<std::string, std::string>& environment() const { return environment_; }

  // Runs a PipeWire tool with this server's environment; its exit status (-1 if it did not exit).
  int run(const std::vector<std::string>& args, double timeoutSeconds = 30) const;
  // Starts one in the background; its pid.
  pid_t start(const std::vector<std::string>& args) const;
  // Ends a process started with start(): SIGINT, then its exit status.
  static int finish(pid_t pid);
  // Stops the daemon now (its clients lose the server), as a crash or a logout would.
  void stopDaemon();

 private:
  std::string folder_;
  std::map<std::string, std::string> environment_;
  pid_t daemon_ = 0, bus_ = 0, sessionManager_ = 0;
  bool ready_ = false;
};

}  // namespace tunely_test
