// The command line of `tunely curve`, run by tunely-curve, a program of its own: it links the
// system's engine, settings and response code, which the player does not, so the player process
// holds no second copy of the engine's variables beside the ones Lowtide.dylib brings.
// `tunely curve ...` runs it with its own arguments.
#pragma once

namespace host {

// argv as `tunely` got it: argv[1] is "curve". Returns the exit status.
int runCurveCommandLine(int argc, char** argv);

}  // namespace host
