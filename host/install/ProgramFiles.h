// Where the running tunely finds its own files: the built Lowtide.dylib and the resources it
// installs into a device root, and the program that runs `tunely curve`. Nothing of the build is
// compiled in; all are found from the executable's own location, so an installed tunely keeps
// working when the build folder is gone.
//
// Installed as a program: <prefix>/bin/tunely with <prefix>/lib/tunely/ (Lowtide.dylib,
// tunely-curve) and <prefix>/share/tunely/resources. In a build folder: all of them beside the
// executable. The installed layout is tried first.
#pragma once

#include <string>

#include "host/install/DeviceRootLayout.h"

namespace host {

// `executable` is the program's own path (/proc/self/exe when empty). False, with the places
// looked at, when neither layout is complete.
bool findProgramFiles(InstallSources& sources, std::string& error, const std::string& executable = {});
bool findCurveProgram(std::string& path, std::string& error, const std::string& executable = {});

}  // namespace host
