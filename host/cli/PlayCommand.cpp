#include "host/cli/PlayCommand.h"

#include "host/cli/PlayerStartup.h"
#include "host/cli/QueueBuilding.h"
#include "host/cli/QueueExpansion.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"
#include "host/demo/DemoSong.h"
#include "host/install/DeviceRootLayout.h"
#include "host/install/ProgramFiles.h"
#include "host/loader/SubstrateLoader.h"
#include "host/media/CompareStage.h"
#include "host/media/OfflineRenderer.h"
#include "host/media/OutputFile.h"
#include "host/media/PeakLimiter.h"
#include "host/media/ProgressBar.h"
#include "host/media/RealtimePlayer.h"
#include "host/media/SoundDeviceLimits.h"
#include "host/media/StopRequest.h"
#include "host/player/DeviceProfile.h"
#include "host/player/PlayerClasses.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSession.h"
#include "host/player/SessionFrontEnd.h"
#include "host/script/ScriptRunner.h"
#include "host/text/MessageText.h"
#include "host/window/PlayerWindow.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIWindow.h"

namespace host {
namespace {

namespace fs = std::filesystem;

int fail(const std::string& message) {
  std::fprintf(stderr, "tunely: %s\n", message.c_str());
  return 1;
}

std::string demoSongPath(const std::string& root) {
  return root + "/var/mobile/Media/Tunely Demo.wav";
}

// What became of the output file once the render is over: put in place when written whole, a
// render stopped by a signal or the window included (it stopped at a block boundary and its
// header is complete); dropped when a write failed or nothing was rendered. True when it was
// written.
bool finishOutput(OutputFile& output, double sampleRate, const PlayOutcome& outcome) {
  if (!outcome.outputError.empty()) {
    output.discard();
    std::fprintf(stderr, "tunely: cannot write %s: %s\n", quotedPath(output.path()).c_str(),
                 outcome.outputError.c_str());
    return false;
  }
  const int64_t frames = output.sink().framesWritten();
  if (frames == 0) {
    output.discard();
    std::cout << "Nothing was rendered: " << quotedPath(output.path()) << " was not written"
              << std::endl;
    return true;
  }
  std::string error;
  if (!output.commit(error)) {
    std::fprintf(stderr, "tunely: cannot write %s: %s\n", quotedPath(output.path()).c_str(),
                 error.c_str());
    return false;
  }
  char length[32];
  std::snprintf(length, sizeof length, "%.2f s", double(frames) / sampleRate);
  std::cout << "Wrote " << quotedPath(output.path()) << " (" << length
            << (outcome.interrupted ? ", up to where playing stopped)" : ")") << std::endl;
  return true;
}

// Writing the output over one of the tracks would destroy it before it is read.
std::string outputOverwritesInput(const std::string& output, const std::vector<QueuedFile>& queue) {
  std::error_code ec;
  for (const QueuedFile& f : queue)
    if (fs::equivalent(output, f.path, ec)) return f.path;
  return {};
}

// The window, when this session shows one: live playback opens it where there is a display,
// offline rendering only when asked. Without a display the player says so once and goes on; a
// window asked for, or one a named display will not take, is an error (`error` set).
std::unique_ptr<PlayerWindow> openWindow(const PlayOptions& options, bool offline, PlayerSession& session,
                                         std::string& failure) {
  const bool asked = options.window == PlayOptions::Window::Open;
  const bool wanted = asked || (options.window == PlayOptions::Window::Default && !offline);
  if (!wanted) return nullptr;
  return openPlayerWindow(session, options.scale, "Tunely", asked, failure);
}

// How long the limiter acted, in the summary: a listener who hears it pump learns why.
void reportLimiting(const PeakLimiter& limiter) {
  const int64_t frames = limiter.framesLimited();
  if (frames == 0) {
    std::cout << "Limiter: never acted (every sample stayed under -1 dBFS)" << std::endl;
    return;
  }
  char text[96];
  std::snprintf(text, sizeof text, "Limiter: acted for %.2f s to keep every sample under -1 dBFS",
                double(frames) / limiter.sampleRate());
  std::cout << text << std::endl;
}

}  // namespace

int runPlay(const PlayOptions& options) {
  // From here on SIGINT, SIGTERM and SIGHUP stop the session cleanly; one that comes before
  // anything plays stops it before the first block.
  StopRequest stopRequest;
  std::string error;
  const std::string root =
      setUpDeviceRoot(options.deviceRoot, options.noTweaks, options.deviceProfile, error);
  if (root.empty()) return fail(error);

  bool anyFailed = false;
  // Folders and playlists stand for the files they hold.
  std::vector<std::string> paths = expandQueuePaths(options.files, anyFailed);
  if (options.files.empty()) {
    paths.push_back(demoSongPath(root));
    if (!writeDemoSong(paths.back(), error)) return fail("cannot write the demo song: " + error);
  }
  // A script that cannot be read is refused before anything plays.
  std::optional<SessionScript> script;
  if (!options.script.empty()) {
    script = readSessionScript(options.script, error);
    if (!script) return fail(error);
  }
  const bool offline = !options.output.empty();
  // It grows while playing, as files are dropped on the window.
  std::vector<QueuedFile> queue = probeQueue(paths, !offline, anyFailed);
  if (queue.empty()) return fail("nothing to play");

  // Everything that can refuse does so before the player starts or anything is written.
  OutputFile output;
  RealtimePlayer device;
  if (offline) {
    if (std::string mismatch = findFormatMismatch(queue); !mismatch.empty()) return fail(mismatch);
    if (std::string input = outputOverwritesInput(options.output, queue); !input.empty())
      return fail("the output " + quotedPath(options.output) + " is the track " + quotedPath(input) +
                  ": choose another output file");
    if (!output.open(options.output, queue.front().info.sampleRate, queue.front().info.channels,
                     error))
      return fail("cannot write " + quotedPath(options.output) + ": " + error);
  } else if (!device.openDevice(queue.front().info, options.blockFrames, error)) {
    std::fprintf(stderr,
                 "tunely: no sound device is available (%s).\n"
                 "Render to a file instead with --output FILE.wav\n",
                 error.c_str());
    return kExitNoSoundDevice;
  }

  // Offline the run loop keeps media time, from 0 when playing starts: the controls' timers
  // scheduled below fall due at 2.0 seconds of music.
  std::optional<MediaClock> clock;
  if (offline) clock.emplace();

  if (!options.noTweaks && !loadTweaks(root)) anyFailed = true;
  const std::string settingsPath = playerSettingsPath(root);
  const PlayerSettings playerSettings = readPlayerSettings(settingsPath);
  PlayerSession session;
  session.transport().volume = playerSettings.volume;
  session.setUpControls();
  session.transport().compareUnmatchedByDefault = options.compareUnmatched;
  SessionFrontEnd frontEnd(session);
  CompareStage compare;  // the A/B comparison right after every track's tap
  frontEnd.attachComparison(&compare);
  // What goes to the speakers takes the volume and the limiter; a file only the limiter, when
  // asked for.
  PeakLimiter fileLimiter;
  const PeakLimiter* limiter = nullptr;
  if (!offline) {
    DeviceFeed& feed = device.device().feed();
    feed.setLimiterOn(options.limiter != PlayOptions::Limiter::Off);
    if (feed.limiterOn()) limiter = &feed.limiter();
    feed.volume().startAt(playerSettings.volume);
    frontEnd.attachOutput(&feed.volume(), limiter);
  } else if (options.limiter == PlayOptions::Limiter::On) {
    fileLimiter.configure(queue.front().info.channels, queue.front().info.sampleRate);
    output.sink().limitPeaks(&fileLimiter);
    limiter = &fileLimiter;
    frontEnd.attachOutput(nullptr, limiter);
  }
  std::string windowFailure;
  frontEnd.attachWindow(openWindow(options, offline, session, windowFailure));
  if (!windowFailure.empty()) return fail(windowFailure);
  const double scale = frontEnd.window() ? frontEnd.window()->scale() : options.scale > 0 ? options.scale : 2;
  auto* screen = static_cast<UIWindow*>(session.window());
  ScreenActions actions(screen);
  actions.addAlias("eq-button", [&session] { return session.equalizerImageButton(); });
  actions.compare = [&session](bool on, bool unmatched) { session.transport().requestCompare(on, unmatched); };
  if (frontEnd.window()) {
    wireWindow(*frontEnd.window(), session, actions);
    frontEnd.window()->onDrop = [&queue, &anyFailed, offline](const std::string& path) {
      if (const size_t added = addToQueue(path, !offline, queue, anyFailed))
        std::cout << "Added " << added << (added == 1 ? " track" : " tracks") << " to the queue" << std::endl;
    };
  }
  if (script) frontEnd.attachScript(std::make_unique<ScriptRunner>(std::move(*script), actions, scale));

  // A render that no window and no script can steer never compares: its tracks skip the
  // comparison and the loudness it measures for it, which the summary measures anyway. Nothing
  // will look at its screen either.
  const bool canCompare = !offline || frontEnd.canStillAct();
  if (!canCompare) session.setScreenNeverSeen();
  const TrackSettings settings{options.layout, options.blockFrames, canCompare ? &compare : nullptr};
  std::cout << "Playing " << queue.size() << (queue.size() == 1 ? " track" : " tracks")
            << (offline ? " into " + quotedPath(options.output) : std::string(" on the sound device"))
            << std::endl;
  PlayOutcome outcome =
      offline ? renderOffline(session, queue, settings, *clock, output.sink(),
                              ProgressBar::standardErrorIsTerminal(), frontEnd)
              : device.play(session, queue, settings, frontEnd);

  // A step timed after the last audio never ran; a "Done" among them would have saved.
  if (!outcome.interrupted) frontEnd.reportScriptStepsNotReached();
  // Whatever ended the session, nothing the listener set up is lost: the panel left open closes
  // as their tap on "Done" would, open dialogs cancelled first. Its window is no longer looked
  // at, so an alert about it goes to the terminal.
  UIAlertView::setEchoesToStandardError(true);
  if (actions.closeWhatIsOpen())
    std::cout << "Closed the equalizer panel left open, as \"Done\" does" << std::endl;

  // Lines the tap queued from the audio thread belong before the summary that reports on them.
  NSLogFlush();
  printSummary(std::cout, outcome.reports);
  if (limiter) reportLimiting(*limiter);
  printComparison(std::cout, compare);
  keepVolume(settingsPath, playerSettings, session.transport().volume);
  if (offline && !finishOutput(output, queue.front().info.sampleRate, outcome)) anyFailed = true;
  if (frontEnd.scriptFailed()) anyFailed = true;
  if (outcome.interrupted) {
    // Closing the window is the listener's way to end a session, not a failure.
    if (outcome.closedByListener) {
      std::cout << "Stopped." << std::endl;
    } else {
      std::cout << "Stopped by " << StopRequest::signalName() << "." << std::endl;
      return StopRequest::exitStatus();
    }
  }
  return anyFailed || outcome.anyFailed ? 1 : 0;
}

}  // namespace host
