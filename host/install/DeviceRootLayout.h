// The device root: the folder on this machine that stands for the phone's file system. On use it
// is laid out like an installed package: the tweak in MobileSubstrate's folder, its resources,
// and the data folder the settings code expects to exist.
#pragma once

#include <string>
#include <vector>

namespace host {

// $XDG_DATA_HOME/tunely/device, or ~/.local/share/tunely/device; empty if neither is known.
std::string defaultDeviceRoot();

struct InstallSources {
  std::string lowtideLibrary;   // the built Lowtide.dylib; empty installs no library
  std::string resourcesFolder;  // the project's resources/
};

// Creates the folders and installs the built library and resources: each installed file that
// does not hold the same bytes as the built one is replaced (by a rename, so a running player
// keeps its mapped copy). A file that cannot be replaced but is there and readable is used as
// installed, with a notice naming it; false with the reason, naming the folder, when the device
// root cannot be laid out.
bool layOutDeviceRoot(const std::string& root, const InstallSources& sources, std::string& error,
                      std::vector<std::string>& notices);
// The same, for the command: each notice goes to standard error.
bool layOutDeviceRoot(const std::string& root, const InstallSources& sources, std::string& error);

// Where the layout puts things, as files on this machine.
std::string installedLibraryPath(const std::string& root);
std::string resourcesFolderPath(const std::string& root);
std::string dataFolderPath(const std::string& root);

}  // namespace host
