#include "host/cli/CommandLine.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/cli/NumberRange.h"
#include "host/cli/PlayCommand.h"
#include "host/cli/PlayOptions.h"
#include "host/cli/SinkCommand.h"
#include "host/install/ProgramFiles.h"
#include "host/player/DeviceProfile.h"
#include "host/text/MessageText.h"

namespace host {
namespace {

constexpr const char* kPlayerVersion = TUNELY_VERSION;

// Says so when a number's text is not a whole number; a range check alone would call "abc" out
// of range. It reads the text as the option itself will.
const CLI::Validator kWholeNumber(
    [](std::string& text) {
      int64_t value = 0;
      return CLI::detail::lexical_cast(text, value) ? std::string()
                                                    : quotedWord(text) + " is not a whole number";
    },
    "");

// An empty file or folder name is a mistake, not a request for the default.
const CLI::Validator kNotEmpty(
    [](std::string& text) { return text.empty() ? std::string("must not be empty") : std::string(); },
    "");

// `tunely curve ...` is carried out by tunely-curve, which links the system's engine; the player
// does not (see host/curve/CurveCommandLine.h). It gets the command line as it is.
int runCurveProgram(char** argv) {
  std::string program, error;
  if (!findCurveProgram(program, error)) {
    std::fprintf(stderr, "tunely: %s\n", error.c_str());
    return 1;
  }
  execv(program.c_str(), argv);
  std::fprintf(stderr, "tunely: cannot run %s: %s\n", quotedPath(program).c_str(), std::strerror(errno));
  return 1;
}

}  // namespace

int runCommandLine(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "curve") == 0) return runCurveProgram(argv);

  CLI::App app{"tunely: a music player with the Tunely equalizer loaded into it", "tunely"};
  app.require_subcommand(1);
  // A mistake is echoed with what was typed: a file name's control characters stay escaped.
  app.failure_message([](const CLI::App* a, const CLI::Error& e) { return printableLines(CLI::FailureMessage::simple(a, e)); });
  app.set_version_flag("--version", std::string("tunely ") + kPlayerVersion);

  PlayOptions options;
  CLI::App* play = app.add_subcommand(
      "play",
      "Play audio files in order as the player's queue (the built-in demo song when none is "
      "given), on the sound device or into a WAV file");
  play->add_option("files", options.files, "Audio files to play (WAV, AIFF, FLAC, Ogg, MP3, ...)");
  play->add_option("-o,--output", options.output,
                   "Render offline, as fast as possible, into this 32-bit float WAV file instead "
                   "of playing on the sound device")
      ->check(kNotEmpty);
  play->add_option("--device-root", options.deviceRoot,
                   "Folder standing for the device's file system (default "
                   "$XDG_DATA_HOME/tunely/device, else ~/.local/share/tunely/device)")
      ->check(kNotEmpty);
  play->add_option("--block-frames", options.blockFrames,
                   "Frames the player asks the tap for in each block")
      ->capture_default_str()
      ->check(kWholeNumber)
      ->check(numberRange(1, 1 << 20));
  std::string layout = "noninterleaved";
  CLI::Option* layoutOption =
      play->add_option("--layout", layout,
                       "Sample layout of the stream handed to the tap: one buffer per channel, or "
                       "the channels interleaved in one buffer (default: one buffer per channel "
                       "for mono and stereo, interleaved for more channels)")
          ->check(CLI::IsMember({"noninterleaved", "interleaved"}));
  std::vector<std::string> profileNames;
  for (const DeviceProfile& p : deviceProfiles()) profileNames.push_back(p.name);
  play->add_option("--device-profile", options.deviceProfile,
                   "Device to present to the tweak (system and Core Foundation version, screen)")
      ->capture_default_str()
      ->check(CLI::IsMember(profileNames));
  bool openWindow = false, noWindow = false;
  CLI::Option* windowFlag = play->add_flag(
      "--window", openWindow,
      "Show the player in a window (the default when playing on the sound device with a display)");
  play->add_flag("--no-window", noWindow, "Play without a window")->excludes(windowFlag);
  play->add_option("--scale", options.scale,
                   "Pixels per point of the window and of screenshots (default: 2 where it fits)")
      ->check(kWholeNumber)
      ->check(numberRange(1, 4));
  play->add_option("--script", options.script,
                   "Work the player's screen from a script: one step a line, \"TIME VERB ARGS\" "
                   "(tap, slide, switch, segment, type, delete, screenshot, compare); see the README")
      ->check(CLI::ExistingFile);
  bool limiter = false, noLimiter = false;
  CLI::Option* limiterFlag = play->add_flag(
      "--limiter", limiter,
      "Send the output file through the peak limiter too (ceiling -1 dBFS), as the sound device's "
      "output always is");
  play->add_flag("--no-limiter", noLimiter,
                 "Play on the sound device without the peak limiter that keeps every sample "
                 "under -1 dBFS")
      ->excludes(limiterFlag);
  play->add_flag("--compare-unmatched", options.compareUnmatched,
                 "Compare with the equalizer bypassed (the B key, a script's \"compare on\") "
                 "without matching the loudness: the equalizer's input as it is");
  play->add_flag("--no-tweaks", options.noTweaks,
                 "Load no substrate library: the player as it is without Tunely, for comparison");

  play->footer(
      "Exit status: 0 when everything played, 1 when something failed (a file that cannot be "
      "played, the output, a substrate library), 2 for a mistake on the command line, 69 when "
      "there is no sound device, 130 when stopped with Ctrl-C, 143 with SIGTERM, 129 with "
      "SIGHUP.");

  // Listed for --help; `tunely curve` itself never gets here.
  app.add_subcommand("curve",
                     "The equalizer's response as a listener hears it, for given settings, a sample "
                     "rate and a channel count: CSV, a PNG plot, or a short table on a terminal "
                     "(tunely curve --help for its options)");
  SinkCommand sink(app);

  // A first word that names no subcommand is a mistake of its own, not a missing subcommand.
  auto isSubcommand = [&app](const std::string& word) {
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
      if (sub->check_name(word)) return true;
    return false;
  };
  if (argc > 1 && argv[1][0] != '-' && !isSubcommand(argv[1])) {
    std::fprintf(stderr, "tunely: unknown subcommand %s (the subcommands are play and curve; see tunely --help)\n",
                 quotedWord(argv[1]).c_str());
    return 2;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help answers 0; a mistake on the command line is a usage error, whatever CLI11 numbers it.
    const int status = app.exit(e);
    return status == 0 ? 0 : 2;
  }
  if (sink.chosen()) return sink.run();
  options.window = openWindow ? PlayOptions::Window::Open
                   : noWindow ? PlayOptions::Window::None
                              : PlayOptions::Window::Default;
  options.limiter = limiter     ? PlayOptions::Limiter::On
                    : noLimiter ? PlayOptions::Limiter::Off
                                : PlayOptions::Limiter::Default;
  options.layout = layout == "interleaved"   ? SampleLayout::Interleaved
                   : layoutOption->count() > 0 ? SampleLayout::NonInterleaved
                                               : SampleLayout::Automatic;
  return runPlay(options);
}

}  // namespace host
