// `tunely curve`: the equalizer's response as a listener hears it, for given settings (the last
// state or a preset of a device root, or the seven values), a sample rate and a channel count;
// written as CSV, as a PNG plot, or as a short table on a terminal.
//
// The command runs the system's own engine in this process, as the player's would run for those
// settings (a stream prepared, then the settings loaded and the switches set), and computes the
// curve from the coefficients it made: the same computation as the panel's curve. It starts no
// player and loads no substrate library, and it writes nothing into the device root.
#pragma once

#include <string>

#include "Lowtide/engine/ParameterSet.h"

namespace CLI {
class App;
}

namespace host {

struct CurveOptions {
  std::string deviceRoot;  // empty: the default one
  bool lastState = false;
  std::string preset;
  // The seven values, by their keys in the settings files; by default the panel's reset values.
  // The filter type is read into `filttype` as a whole number, then stands in `values` too.
  lowtide::ParameterValues values = lowtide::resetValues();
  int filttype = static_cast<int>(lowtide::parameterRow(lowtide::Parameter::filttype).reset);
  bool noFilter = false, noBass = false;
  double rate = 44100;
  int channels = 2;
  std::string output;  // FILE.csv or FILE.png; empty: standard output
  int pointsPerOctave = 12;
};

class CurveCommand {
 public:
  // Adds the subcommand and its options to `app`; they fill this object's options as `app`
  // parses, so it must outlive the parse.
  explicit CurveCommand(CLI::App& app);
  CurveCommand(const CurveCommand&) = delete;
  CurveCommand& operator=(const CurveCommand&) = delete;

  bool chosen() const;
  // Returns the exit status.
  int run() const;

 private:
  CLI::App* command_;
  CurveOptions options_;
};

// Runs the command with parsed options. Once per process: it sets up this process's engine.
int runCurve(const CurveOptions& options);

}  // namespace host
