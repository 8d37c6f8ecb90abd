#include "host/install/ProgramFiles.h"
#include "host/text/MessageText.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace host {
namespace fs = std::filesystem;
namespace {

// The two places a file of the program may be: where an installation puts it, relative to
// bin/tunely, and beside the executable, as a build folder has it.
struct Places {
  fs::path installed, beside;
};

bool programFolder(const std::string& executable, fs::path& folder, std::string& error) {
  std::error_code ec;
  fs::path self = executable.empty() ? fs::read_symlink("/proc/self/exe", ec) : fs::path(executable);
  if (ec) {
    error = "cannot tell where tunely is installed (/proc/self/exe: " + ec.message() + ")";
    return false;
  }
  // A link to the program (such as one in ~/.local/bin) leads to where it really is.
  const fs::path real = fs::weakly_canonical(self, ec);
  folder = (ec ? self : real).parent_path();
  return true;
}

std::string missing(const std::string& what, const fs::path& installed, const fs::path& folder) {
  return "tunely's own files are missing: " + what + " is neither in " +
         quotedPath(installed.lexically_normal().string()) + " nor beside the program in " +
         quotedPath(folder.string()) + " (reinstall tunely)";
}

}  // namespace

bool findProgramFiles(InstallSources& sources, std::string& error, const std::string& executable) {
  fs::path folder;
  if (!programFolder(executable, folder, error)) return false;
  std::error_code ec;
  const fs::path library = folder / "../lib/tunely/Lowtide.dylib";
  const fs::path resources = folder / "../share/tunely/resources";
  if (fs::is_regular_file(library, ec) && fs::is_directory(resources, ec)) {
    sources = {library.lexically_normal().string(), resources.lexically_normal().string()};
    return true;
  }
  if (fs::is_regular_file(folder / "Lowtide.dylib", ec) && fs::is_directory(folder / "resources", ec)) {
    sources = {(folder / "Lowtide.dylib").string(), (folder / "resources").string()};
    return true;
  }
  error = missing("Lowtide.dylib with its resources", folder / "..", folder);
  return false;
}

bool findCurveProgram(std::string& path, std::string& error, const std::string& executable) {
  fs::path folder;
  if (!programFolder(executable, folder, error)) return false;
  for (const fs::path& candidate : {folder / "../lib/tunely/tunely-curve", folder / "tunely-curve"}) {
    if (access(candidate.c_str(), X_OK) == 0) {
      path = candidate.lexically_normal().string();
      return true;
    }
  }
  error = missing("tunely-curve", folder / "../lib/tunely", folder);
  return false;
}

}  // namespace host
