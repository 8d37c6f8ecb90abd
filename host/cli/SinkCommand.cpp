#include "host/cli/SinkCommand.h"

#include <sndfile.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>

#include "foundation/NSLog.h"
#include "foundation/NSRunLoop.h"
#include "host/cli/NumberRange.h"
#include "host/cli/PlayerStartup.h"
#include "host/desktop/DesktopTap.h"
#include "host/desktop/PipeWireSink.h"
#include "host/media/OutputStages.h"
#include "host/media/StopRequest.h"
#include "host/media/TrackSummary.h"
#include "host/player/DeviceProfile.h"
#include "host/player/PlayerSession.h"
#include "host/player/PlayerSettings.h"
#include "host/player/SessionFrontEnd.h"
#include "host/script/ScriptRunner.h"
#include "host/text/MessageText.h"
#include "host/window/PlayerWindow.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIWindow.h"

namespace host {
namespace {

constexpr double kRateBeforeTheGraphSays = 48000;
// The output stages keep room for a graph up to this rate, so a change of rate on the data
// thread never allocates.
constexpr double kHighestGraphRate = 384000;

int fail(const std::string& message) {
  std::fprintf(stderr, "tunely: %s\n", message.c_str());
  return 1;
}

// The player item is made for a file, as every queue item is: an empty file of the sink's
// channel count stands for the desktop's stream.
bool writeStandIn(const std::string& path, int channels, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  SF_INFO info{};
  info.samplerate = int(kRateBeforeTheGraphSays);
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    error = sf_strerror(nullptr);
    return false;
  }
  sf_close(file);
  return true;
}

}  // namespace

SinkCommand::SinkCommand(CLI::App& app) {
  SinkOptions& o = options_;
  command_ = app.add_subcommand(
      "sink",
      "A PipeWire sink, \"Tunely Equalizer\", that puts everything played into it through the "
      "equalizer and on to another sink");
  command_->add_option("--target", o.target,
                       "node.name of the sink the filtered sound goes to (default: where PipeWire "
                       "sends a playback stream)")
      ->check(CLI::Validator(
          [](std::string& text) {
            if (text.empty()) return std::string("must not be empty");
            if (text == "tunely") return std::string("the sink cannot play into itself");
            return std::string();
          },
          ""));
  command_->add_option("--channels", o.channels, "Channels of the sink (FL FR for two)")
      ->capture_default_str()
      ->check(numberRange(1, 8));
  command_->add_option("--device-root", o.deviceRoot,
                       "Folder standing for the device's file system (as for play)");
  std::vector<std::string> profileNames;
  for (const DeviceProfile& p : deviceProfiles()) profileNames.push_back(p.name);
  command_->add_option("--device-profile", o.deviceProfile, "Device to present to the tweak")
      ->capture_default_str()
      ->check(CLI::IsMember(profileNames));
  command_->add_flag("--no-window", o.noWindow, "Run without a window");
  command_->add_flag("--compare-unmatched", o.compareUnmatched,
                     "Compare with the equalizer bypassed (B, \"compare on\") without matching "
                     "the loudness");
  command_->add_flag("--no-limiter", o.noLimiter,
                    "Send the sound on without the peak limiter that keeps every sample under "
                    "-1 dBFS (as for play)");
  command_->add_option("--scale", o.scale, "Pixels per point of the window and of screenshots")
      ->check(numberRange(1, 4));
  command_->add_option("--script", o.script,
                       "Work the screen from a script (times on the wall clock since start)")
      ->check(CLI::ExistingFile);
  command_->footer(
      "Exit status: 0 when the window closes, 1 when something failed (also when the PipeWire "
      "server goes away), 2 for a mistake on the command line, 69 when no PipeWire server is "
      "running, 130 with Ctrl-C, 143 with SIGTERM, 129 with SIGHUP.");
}

bool SinkCommand::chosen() const { return command_->parsed(); }
int SinkCommand::run() const { return runSink(options_); }

int runSink(const SinkOptions& options) {
  StopRequest stopRequest;
  std::string error;
  const std::string root =
      setUpDeviceRoot(options.deviceRoot, false, options.deviceProfile, error);
  if (root.empty()) return fail(error);
  std::optional<SessionScript> script;
  if (!options.script.empty()) {
    script = readSessionScript(options.script, error);
    if (!script) return fail(error);
  }

  PipeWireSink sink;
  if (!sink.connect(error)) {
    std::fprintf(stderr, "tunely: no PipeWire server is running (%s)\n", error.c_str());
    return kExitNoPipeWire;
  }
  if (std::optional<std::string> holder = sink.runningSink())
    return fail("a Tunely sink is running on this PipeWire server already (" + *holder + ")");

  const std::string standIn = root + "/var/mobile/Media/Desktop audio.wav";
  if (!writeStandIn(standIn, options.channels, error))
    return fail("cannot write " + quotedPath(standIn) + ": " + error);
  bool anyFailed = !loadTweaks(root);
  const std::string settingsPath = playerSettingsPath(root);
  const PlayerSettings playerSettings = readPlayerSettings(settingsPath);
  PlayerSession session;
  session.transport().volume = playerSettings.volume;
  session.setUpControls();
  SessionFrontEnd frontEnd(session);
  // As on the sound device: the volume the slider sets, then the limiter, after the tap.
  OutputStages stages;
  stages.configure(options.channels, kRateBeforeTheGraphSays, kHighestGraphRate);
  stages.setLimiterOn(!options.noLimiter);
  stages.volume().startAt(playerSettings.volume);
  frontEnd.attachOutput(&stages.volume(), stages.limiterOn() ? &stages.limiter() : nullptr);
  CompareStage compare;  // the A/B comparison right after the tap
  session.transport().compareUnmatchedByDefault = options.compareUnmatched;
  frontEnd.attachComparison(&compare);
  if (!options.noWindow) {
    std::string windowFailure;
    frontEnd.attachWindow(openPlayerWindow(session, options.scale, "Tunely", false, windowFailure));
    if (!windowFailure.empty()) return fail(windowFailure);
  }
  const double scale = frontEnd.window() ? frontEnd.window()->scale() : options.scale > 0 ? options.scale : 2;
  ScreenActions actions(static_cast<UIWindow*>(session.window()));
  actions.addAlias("eq-button", [&session] { return session.equalizerImageButton(); });
  actions.compare = [&session](bool on, bool unmatched) { session.transport().requestCompare(on, unmatched); };
  if (frontEnd.window()) wireWindow(*frontEnd.window(), session, actions);
  if (script) frontEnd.attachScript(std::make_unique<ScriptRunner>(std::move(*script), actions, scale));

  DesktopTap tap(session, standIn, options.channels, kRateBeforeTheGraphSays);
  tap.compareThrough(&compare);
  if (!sink.start(tap, stages, options.channels, options.target, error)) {
    sink.stop();  // before the tap and the stages go
    return fail("cannot create the sink: " + error);
  }
  const std::string destination = options.target.empty() ? "the default output" : options.target;
  frontEnd.trackStarted(0, 1, standIn, "Desktop audio", "to " + destination, 0);
  std::cout << "Filtering \"Tunely Equalizer\" into " << destination << std::endl;

  NSRunLoop* runLoop = NSRunLoop::mainRunLoop();
  const double start = runLoop->currentTime();
  double shownRate = 0;
  int status = 0;
  for (;;) {
    if (StopRequest::requested()) {
      std::cout << "Stopped by " << StopRequest::signalName() << "." << std::endl;
      status = StopRequest::exitStatus();
      break;
    }
    if (sink.serverGone()) {
      std::fprintf(stderr, "tunely: the PipeWire server went away (%s)\n", sink.goneReason().c_str());
      status = 1;
      break;
    }
    if (const double rate = sink.rate(); rate != shownRate) {
      shownRate = rate;
      std::cout << "The graph runs at " << rate << " Hz" << std::endl;
      if (rate > 0) tap.measureAt(rate);
    }
    const double now = runLoop->currentTime() - start;
    frontEnd.playedTo(now);
    if (!frontEnd.wait(0.02, now)) {
      std::cout << "Stopped." << std::endl;
      break;
    }
  }
  // As in the player: the panel left open closes as "Done" would, so its settings are kept.
  UIAlertView::setEchoesToStandardError(true);
  if (actions.closeWhatIsOpen())
    std::cout << "Closed the equalizer panel left open, as \"Done\" does" << std::endl;
  sink.stop();  // before the tap and the stages it runs go
  NSLogFlush();
  printComparison(std::cout, compare);
  keepVolume(settingsPath, playerSettings, session.transport().volume);
  if (frontEnd.scriptFailed()) anyFailed = true;
  return status != 0 ? status : anyFailed ? 1 : 0;
}

}  // namespace host
