#include "host/curve/CurveCommandLine.h"

#include <CLI/CLI.hpp>

#include "host/curve/CurveCommand.h"
#include "host/text/MessageText.h"

namespace host {

int runCurveCommandLine(int argc, char** argv) {
  CLI::App app{"tunely: a music player with the Tunely equalizer loaded into it", "tunely"};
  app.require_subcommand(1);
  // A mistake is echoed with what was typed: a file name's control characters stay escaped.
  app.failure_message([](const CLI::App* a, const CLI::Error& e) { return printableLines(CLI::FailureMessage::simple(a, e)); });
  CurveCommand curve(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help answers 0; a mistake on the command line is a usage error, whatever CLI11 numbers it.
    const int status = app.exit(e);
    return status == 0 ? 0 : 2;
  }
  return curve.run();
}

}  // namespace host
