// Loads the tweaks the way Cydia Substrate does when the player starts: every ".dylib" in
// <device root>/Library/MobileSubstrate/DynamicLibraries/, in name order, each with dlopen, so
// its load-time initialiser runs as a real constructor. Libraries stay loaded for the process.
#pragma once

#include <string>
#include <vector>

namespace host {

struct LoadReport {
  std::vector<std::string> loaded;  // file names
  std::vector<std::string> errors;  // "<file>: <reason>", or "in \"<folder>\": <reason>"
};

// The folder on this machine, for a device root.
std::string dynamicLibrariesFolder(const std::string& deviceRoot);

LoadReport loadSubstrateLibraries(const std::string& deviceRoot);

}  // namespace host
