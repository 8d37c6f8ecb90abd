// `tunely play`: lays out the device root, starts the player the way the phone does (substrate
// libraries first, then the window, the controls and the queue) and plays the queue on the
// sound device or into a file. Returns the exit status.
#pragma once

#include "host/cli/PlayOptions.h"

namespace host {

int runPlay(const PlayOptions& options);

}  // namespace host
