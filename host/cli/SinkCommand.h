// `tunely sink`: the whole desktop through the equalizer. A virtual sink "tunely" ("Tunely
// Equalizer") on the user's PipeWire server filters everything played into it through the
// processing tap of a player item, in a player process set up as `tunely play` sets it up
// (Lowtide.dylib loaded from the device root, the controls, the last state 2.0 s after start),
// and sends the result on to another sink. The window shows the Now Playing screen for
// "Desktop audio", with the equalizer button.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace host {

struct SinkOptions {
  std::string target;      // node.name of the sink to play into; empty: PipeWire's default
  int channels = 2;
  std::string deviceRoot;  // empty: the default one
  std::string deviceProfile = "ios7";
  bool noWindow = false;
  bool compareUnmatched = false;  // the A/B comparison hears the bypassed input at its own level
  bool noLimiter = false;  // the safety limiter after the volume is on unless asked
  int scale = 0;
  std::string script;
};

class SinkCommand {
 public:
  explicit SinkCommand(CLI::App& app);  // must outlive the parse
  SinkCommand(const SinkCommand&) = delete;
  SinkCommand& operator=(const SinkCommand&) = delete;
  bool chosen() const;
  int run() const;  // the exit status

 private:
  CLI::App* command_;
  SinkOptions options_;
};

int runSink(const SinkOptions& options);

// Exit status when no PipeWire server can be reached.
constexpr int kExitNoPipeWire = 69;

}  // namespace host
