#include "host/install/DeviceRootLayout.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "host/loader/SubstrateLoader.h"

namespace host {
namespace fs = std::filesystem;
namespace {

// Copies `from` to `to` unless `to` exists and is at least as new.
bool refreshCopy(const fs::path& from, const fs::path& to, std::string& error) {
  std::error_code ec;
  const auto builtAt = fs::last_write_time(from, ec);
  if (ec) {
    error = "cannot read \"" + from.string() + "\": " + ec.message();
    return false;
  }
  std::error_code missing;
  const auto installedAt = fs::last_write_time(to, missing);
  if (!missing && installedAt >= builtAt) return true;
  const fs::path partial = to.string() + ".partial-" + std::to_string(getpid());
  fs::copy_file(from, partial, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(partial, to, ec);
  if (ec) {
    fs::remove(partial);
    error = "cannot install \"" + to.string() + "\": " + ec.message();
    return false;
  }
  return true;
}

bool makeFolder(const fs::path& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) error = "cannot create \"" + folder.string() + "\": " + ec.message();
  return !ec;
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

bool layOutDeviceRoot(const std::string& root, const InstallSources& sources, std::string& error) {
  if (!makeFolder(dynamicLibrariesFolder(root), error) ||
      !makeFolder(resourcesFolderPath(root), error) || !makeFolder(dataFolderPath(root), error))
    return false;
  std::error_code ec;
  if (!sources.lowtideLibrary.empty()) {
    if (!fs::is_regular_file(sources.lowtideLibrary, ec)) {
      error = "the built library \"" + sources.lowtideLibrary + "\" is missing (build the project)";
      return false;
    }
    if (!refreshCopy(sources.lowtideLibrary, installedLibraryPath(root), error)) return false;
  }
  if (sources.resourcesFolder.empty()) return true;
  const fs::path base(sources.resourcesFolder);
  for (fs::recursive_directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path target = fs::path(resourcesFolderPath(root)) / fs::relative(it->path(), base);
    if (it->is_directory()) {
      if (!makeFolder(target, error)) return false;
    } else if (it->is_regular_file()) {
      if (!refreshCopy(it->path(), target, error)) return false;
    }
  }
  if (ec) {
    error = "cannot read the resources in \"" + base.string() + "\": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace host
