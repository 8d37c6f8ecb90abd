// The device's file system lives in one folder on this machine, the device root: the device path
// "/var/mobile/Library/x" is the file "<root>/var/mobile/Library/x". Every Foundation and UIKit
// call that takes a path maps it through here, so the system keeps using the device's paths.
#pragma once

#include <string>

// Sets the device root (an existing or to-be-created folder on this machine). Main thread, before
// anything reads a file.
void DeviceRootSet(const std::string& folder);
const std::string& DeviceRootGet();

// The file on this machine for a device path. A relative path is taken as relative to the root.
// The path is normalised first ("." and ".." resolved by its text, as the device would resolve
// them from its own "/"), so no ".." leads out of the device root.
std::string DevicePathToHost(const std::string& devicePath);
