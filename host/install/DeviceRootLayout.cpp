#include "host/install/DeviceRootLayout.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/install/FileCopy.h"
#include "host/loader/SubstrateLoader.h"
#include "host/text/MessageText.h"

namespace host {
namespace fs = std::filesystem;
namespace {

bool makeFolder(const fs::path& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) error = "cannot create " + quotedPath(folder.string()) + ": " + ec.message();
  return !ec;
}

// An installed copy can stand in for this build's when it is a file with something in it that
// can be read. Whether a library that is not this build's then loads is the loader's to say.
bool canStandIn(const fs::path& installed) {
  std::error_code ec;
  if (!fs::is_regular_file(installed, ec) || fs::file_size(installed, ec) == 0 || ec) return false;
  std::ifstream in(installed, std::ios::binary);
  return in.get() != std::ifstream::traits_type::eof();
}

// Why `built` could not be copied to `installed` (the copy failed with `ec`), as the listener
// can act on it: a damaged file of the device root is named, a full disk is called full (the
// copy's own error may say only "Input/output error"), and only then is the device root
// called unwritable.
std::string installFailure(const fs::path& built, const fs::path& installed, const std::error_code& ec) {
  std::error_code ignored;
  const fs::file_status status = fs::symlink_status(installed, ignored);
  if (fs::exists(status) && !fs::is_regular_file(fs::status(installed, ignored)))
    return "the device root's " + quotedPath(installed.string()) + " is damaged: it is " +
           (fs::is_directory(status) ? "a folder" : "not a regular file") +
           " where tunely's file belongs (remove it, and tunely installs the file again)";
  if (fs::exists(status))
    return "the device root's " + quotedPath(installed.string()) +
           " is damaged (empty or unreadable) and cannot be replaced: " + ec.message() +
           " (remove it from a device root that can be written, or give another with --device-root)";
  const uintmax_t needed = fs::file_size(built, ignored);
  const fs::space_info space = fs::space(installed.parent_path(), ignored);
  if (ec == std::errc::no_space_on_device || (!ignored && space.available < needed))
    return "cannot install " + quotedPath(built.filename().string()) + " into " +
           quotedPath(installed.parent_path().string()) + ": the disk is full (" +
           std::to_string(space.available) + " bytes free, " + std::to_string(needed) +
           " needed); free some space or give another device root with --device-root";
  return "cannot install " + quotedPath(built.filename().string()) + " into " +
         quotedPath(installed.parent_path().string()) + ": " + ec.message() +
         " (give a device root that can be written with --device-root)";
}

// Makes `installed` a copy of `built` unless it already holds the same bytes, whatever the two
// files' dates: the device root runs what this build made, even when another build (or a damaged
// copy) got there later. When the copy cannot be replaced (a read-only device root) but can stand
// in, the player goes on with it and says so, rather than refusing to play; only a copy that is
// missing or unreadable refuses, naming the folder.
bool installCopy(const fs::path& built, const fs::path& installed, std::string& error,
                 std::vector<std::string>& notices) {
  if (haveSameContents(built, installed)) return true;
  std::error_code ec;
  if (replaceByCopy(built, installed, ec)) return true;
  if (canStandIn(installed)) {
    notices.push_back(quotedPath(installed.string()) + " is not this build's and cannot be replaced (" +
                      ec.message() + "): using it as installed");
    return true;
  }
  error = installFailure(built, installed, ec);
  return false;
}

bool installResources(const std::string& root, const fs::path& base, std::string& error,
                      std::vector<std::string>& notices) {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path target = fs::path(resourcesFolderPath(root)) / it->path().lexically_relative(base);
    std::error_code kind;
    if (it->is_directory(kind)) {
      if (!makeFolder(target, error)) return false;
    } else if (it->is_regular_file(kind)) {
      if (!installCopy(it->path(), target, error, notices)) return false;
    }
  }
  if (ec) {
    error = "cannot read the resources in " + quotedPath(base.string()) + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace

std::string defaultDeviceRoot() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data) return std::string(data) + "/tunely/device";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/tunely/device";
  return {};
}

std::string installedLibraryPath(const std::string& root) {
  return dynamicLibrariesFolder(root) + "/Lowtide.dylib";
}
std::string resourcesFolderPath(const std::string& root) {
  return root + "/Library/Application Support/Tunely";
}
std::string dataFolderPath(const std::string& root) {
  return root + "/var/mobile/Library/Application Support/Tunely";
}

bool layOutDeviceRoot(const std::string& root, const InstallSources& sources, std::string& error,
                      std::vector<std::string>& notices) {
  if (!makeFolder(dynamicLibrariesFolder(root), error) ||
      !makeFolder(resourcesFolderPath(root), error) || !makeFolder(dataFolderPath(root), error))
    return false;
  if (!sources.lowtideLibrary.empty()) {
    std::error_code ec;
    if (!fs::is_regular_file(sources.lowtideLibrary, ec)) {
      error = "the built library " + quotedPath(sources.lowtideLibrary) + " is missing (build the project)";
      return false;
    }
    if (!installCopy(sources.lowtideLibrary, installedLibraryPath(root), error, notices))
      return false;
  }
  return sources.resourcesFolder.empty() ||
         installResources(root, sources.resourcesFolder, error, notices);
}

bool layOutDeviceRoot(const std::string& root, const InstallSources& sources, std::string& error) {
  std::vector<std::string> notices;
  const bool laidOut = layOutDeviceRoot(root, sources, error, notices);
  for (const std::string& notice : notices) std::fprintf(stderr, "tunely: %s\n", notice.c_str());
  return laidOut;
}

}  // namespace host
