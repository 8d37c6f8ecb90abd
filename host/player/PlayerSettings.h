// The player's own settings, kept between sessions in a small text file of its own in the device
// root (apart from the equalizer's files): one "name=value" a line. Today it holds the volume.
#pragma once

#include <string>

namespace host {

struct PlayerSettings {
  float volume = 1;  // the volume slider, 0 to 1
};

std::string playerSettingsPath(const std::string& deviceRoot);
// The settings in the file; the defaults for what is missing or unreadable (a note on stderr
// names the file when it cannot be read or a value is not understood).
PlayerSettings readPlayerSettings(const std::string& path);
// Writes the file whole (a temporary file renamed over it). False with the reason.
bool writePlayerSettings(const std::string& path, const PlayerSettings& settings, std::string& error);

}  // namespace host
