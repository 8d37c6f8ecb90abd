#include "host/loader/SubstrateLoader.h"
#include "host/text/MessageText.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

namespace host {

std::string dynamicLibrariesFolder(const std::string& deviceRoot) {
  return deviceRoot + "/Library/MobileSubstrate/DynamicLibraries";
}

LoadReport loadSubstrateLibraries(const std::string& deviceRoot) {
  namespace fs = std::filesystem;
  LoadReport report;
  std::vector<fs::path> libraries;
  const std::string folder = dynamicLibrariesFolder(deviceRoot);
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind;
    if (it->path().extension() == ".dylib" && it->is_regular_file(kind))
      libraries.push_back(it->path());
  }
  // A folder that is not there holds no library; one that cannot be read is a failure to load.
  if (ec && ec != std::errc::no_such_file_or_directory)
    report.errors.push_back("in " + quotedPath(folder) + ": " + ec.message());
  std::sort(libraries.begin(), libraries.end());
  for (const fs::path& library : libraries) {
    // Never closed: the hooks a library installs point into it for the life of the player.
    if (dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
      report.loaded.push_back(library.filename());
    } else {
      const char* why = dlerror();
      report.errors.push_back(printable(library.filename().string()) + ": " + (why ? why : "unknown error"));
    }
  }
  return report;
}

}  // namespace host
