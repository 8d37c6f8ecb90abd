// The `tunely` command line: parses it with CLI11 and runs the chosen subcommand. Returns the
// process's exit status.
#pragma once

namespace host {

int runCommandLine(int argc, char** argv);

}  // namespace host
