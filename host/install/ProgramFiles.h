// Where the running tunely finds the files it installs into a device root: the built
// Lowtide.dylib and the resources. Nothing of the build is compiled in; both are found from the
// executable's own location, so an installed tunely keeps working when the build folder is gone.
#pragma once

#include <string>

#include "host/install/DeviceRootLayout.h"

namespace host {

// Installed as a program: <prefix>/bin/tunely with <prefix>/lib/tunely/Lowtide.dylib and
// <prefix>/share/tunely/resources. In a build folder: Lowtide.dylib and resources/ beside the
// executable. The installed layout is tried first.
// `executable` is the program's own path (/proc/self/exe when empty). False, with the places
// looked at, when neither layout is complete.
bool findProgramFiles(InstallSources& sources, std::string& error, const std::string& executable = {});

}  // namespace host
