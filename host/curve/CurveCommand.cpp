#include "host/curve/CurveCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Lowtide/response/LiveChain.h"
#include "foundation/DeviceRoot.h"
#include "host/cli/NumberRange.h"
#include "host/curve/CurveEngine.h"
#include "host/curve/CurveOutput.h"
#include "host/install/DeviceRootLayout.h"
#include "host/text/MessageText.h"

namespace host {
namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "tunely: %s\n", message.c_str());
  return 1;
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

const CLI::Validator kCurveFile(
    [](std::string& path) -> std::string {
      return endsWith(path, ".csv") || endsWith(path, ".png") ? "" : "the curve is written as a .csv or a .png file";
    },
    "FILE.csv|FILE.png");

// A range check alone lets "nan" through (every comparison with NaN is false), to fail later
// with a message about something else.
const CLI::Validator kFiniteNumber(
    [](std::string& text) -> std::string {
      double value = 0;
      if (!CLI::detail::lexical_cast(text, value)) return quotedWord(text) + " is not a number";
      return std::isfinite(value) ? "" : quotedWord(text) + " is not a finite number";
    },
    "NUMBER");

const CLI::Validator kPresetName(
    [](std::string& name) -> std::string { return name.empty() ? "a preset has a name" : ""; },
    "NAME");

// "Filter type: 0 low pass, 1 high pass, 2 high shelf": the types its range offers.
std::string filterTypeHelp(const lowtide::ParameterRow& p) {
  std::string text = p.meaning;
  for (const lowtide::FilterTypeRow& type : lowtide::kFilterTypes) {
    if (type.code > p.highest) break;
    std::string name = type.name;
    name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    text += (type.code == 0 ? ": " : ", ") + std::to_string(type.code) + " " + name;
  }
  return text;
}

}  // namespace

CurveCommand::CurveCommand(CLI::App& app) {
  CurveOptions& o = options_;
  command_ = app.add_subcommand(
      "curve",
      "The equalizer's response as a listener hears it, for given settings, a sample rate and a channel "
      "count: CSV, a PNG plot, or a short table on a terminal");
  command_->add_option("--device-root", o.deviceRoot,
                       "Folder standing for the device's file system, for --last-state and --preset (default "
                       "$XDG_DATA_HOME/tunely/device, else ~/.local/share/tunely/device)");
  CLI::Option* last = command_->add_flag(
      "--last-state", o.lastState,
      "The settings of the device root's last state, loaded as the player loads them (both stages on)");
  CLI::Option* preset = command_->add_option(
      "--preset", o.preset, "The settings of a preset of the device root's store, loaded as the panel loads one")
      ->check(kPresetName);
  last->excludes(preset);
  for (const lowtide::ParameterRow& p : lowtide::kParameters) {
    const std::string name = std::string("--") + p.key;
    CLI::Option* option = p.whole ? command_->add_option(name, o.filttype, filterTypeHelp(p))
                                  : command_->add_option(name, o.values[p.id], p.meaning);
    option->capture_default_str()->excludes(last)->excludes(preset);
    if (p.whole) option->check(numberRange(0, static_cast<int>(p.highest)));
    else option->check(kFiniteNumber)->check(numberRange(0.0, p.highest));
  }
  command_->add_flag("--no-filter", o.noFilter, "The filter switched off");
  command_->add_flag("--no-bass", o.noBass, "The bass boost switched off");
  command_->add_option("--rate", o.rate, "Sample rate of the stream, Hz")
      ->capture_default_str()->check(kFiniteNumber)->check(numberRange(8000.0, 768000.0));
  command_->add_option("--channels", o.channels, "Channels of the stream")
      ->capture_default_str()->check(numberRange(1, 8));
  command_->add_option("-o,--output", o.output,
                       "Write the curve to FILE.csv (frequency in Hz, level in dB, crosstalk in dB, empty where "
                       "there is none) or FILE.png (a plot); without it, a short table on a terminal and the "
                       "CSV otherwise")
      ->check(kCurveFile);
  command_->add_option("--points-per-octave", o.pointsPerOctave,
                       "Points of the CSV and the plot in each octave from 20 Hz up; the Nyquist frequency "
                       "is the last")
      ->capture_default_str()->check(numberRange(1, 96));
  command_->footer(
      "Without --last-state or --preset the settings are the seven values, each by default the panel's "
      "reset value. The curve is what the filter and bass stages left on do to the stream, computed from "
      "the coefficients the equalizer makes for these settings. For two channels it is the left "
      "channel's response to a centred signal (the same in both channels): the equalizer walks left and "
      "right samples in turn through one filter state, in either --layout of tunely play, so the chain "
      "runs at twice the sample rate and part of the right channel reaches the left (the crosstalk). "
      "Exit status: 0, 1 when the settings cannot be read or no stable filter can be designed from "
      "them, 2 for a mistake on the command line.");
}

bool CurveCommand::chosen() const { return command_->parsed(); }

int CurveCommand::run() const { return runCurve(options_); }

int runCurve(const CurveOptions& o) {
  if (o.lastState || !o.preset.empty()) {
    const std::string root = o.deviceRoot.empty() ? defaultDeviceRoot() : o.deviceRoot;
    if (root.empty()) return fail("no device root: set HOME or XDG_DATA_HOME, or use --device-root");
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) return fail("no device root at " + quotedPath(root));
    DeviceRootSet(std::filesystem::absolute(root, ec).lexically_normal().string());
  }
  std::string error;
  if (!settleEngine(o, error)) return fail(error);

  const lowtide::EqualizerChain chain = lowtide::liveChain(o.channels);
  if (const std::string why = passThroughReason(o, chain); !why.empty()) std::fprintf(stderr, "tunely: %s\n", why.c_str());
  const std::string settings = describeSettings(chain), stream = describeStream(chain);
  if (o.output.empty() && isatty(STDOUT_FILENO)) {
    printCurveTable(stdout, chain, settings, stream);
    return 0;
  }
  const lowtide::ResponseCurve curve = lowtide::responseCurve(chain, o.pointsPerOctave);
  if (endsWith(o.output, ".png")) {
    if (!writeCurvePng(o.output, curve, settings + "\n" + stream, error))
      return fail("cannot write \"" + o.output + "\": " + error);
    return 0;
  }
  std::FILE* out = o.output.empty() ? stdout : std::fopen(o.output.c_str(), "w");
  if (out == nullptr) return fail("cannot write " + quotedPath(o.output) + ": " + std::strerror(errno));
  writeCurveCsv(out, curve);
  const bool written = std::fflush(out) == 0 && !std::ferror(out);
  if (out != stdout && std::fclose(out) != 0) return fail("cannot write " + quotedPath(o.output));
  return written ? 0 : fail(out == stdout ? "cannot write the curve to standard output" : "cannot write " + quotedPath(o.output));
}

}  // namespace host
