#include "host/install/ProgramFiles.h"

#include <filesystem>
#include <system_error>

namespace host {
namespace fs = std::filesystem;
namespace {

bool holdsProgramFiles(const fs::path& library, const fs::path& resources) {
  std::error_code ec;
  return fs::is_regular_file(library, ec) && fs::is_directory(resources, ec);
}

}  // namespace

bool findProgramFiles(InstallSources& sources, std::string& error, const std::string& executable) {
  std::error_code ec;
  fs::path self = executable.empty() ? fs::read_symlink("/proc/self/exe", ec) : fs::path(executable);
  if (ec) {
    error = "cannot tell where tunely is installed (/proc/self/exe: " + ec.message() + ")";
    return false;
  }
  // A link to the program (such as one in ~/.local/bin) leads to where it really is.
  const fs::path real = fs::weakly_canonical(self, ec);
  if (!ec) self = real;
  const fs::path folder = self.parent_path();
  const fs::path installedLibrary = folder / "../lib/tunely/Lowtide.dylib";
  const fs::path installedResources = folder / "../share/tunely/resources";
  if (holdsProgramFiles(installedLibrary, installedResources)) {
    sources = {installedLibrary.lexically_normal().string(), installedResources.lexically_normal().string()};
    return true;
  }
  if (holdsProgramFiles(folder / "Lowtide.dylib", folder / "resources")) {
    sources = {(folder / "Lowtide.dylib").string(), (folder / "resources").string()};
    return true;
  }
  error = "tunely's own files are missing: neither \"" + installedLibrary.lexically_normal().string() +
          "\" with \"" + installedResources.lexically_normal().string() + "\" nor \"" +
          (folder / "Lowtide.dylib").string() + "\" with \"" + (folder / "resources").string() +
          "\" is there (reinstall tunely)";
  return false;
}

}  // namespace host
