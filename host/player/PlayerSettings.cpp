#include "host/player/PlayerSettings.h"
#include "host/text/MessageText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace host {
namespace {

namespace fs = std::filesystem;

// Far more than the file ever holds: a file this long is not ours.
constexpr std::streamsize kMostBytes = 4096;

}  // namespace

std::string playerSettingsPath(const std::string& deviceRoot) {
  return deviceRoot + "/var/mobile/Library/Preferences/tunely-player.conf";
}

PlayerSettings readPlayerSettings(const std::string& path) {
  PlayerSettings settings;
  std::error_code ec;
  if (!fs::exists(path, ec)) return settings;
  if (!fs::is_regular_file(path, ec)) {
    std::fprintf(stderr, "tunely: %s is not a regular file; using the default volume\n", quotedPath(path).c_str());
    return settings;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text(size_t(kMostBytes), '\0');
  in.read(text.data(), kMostBytes);
  text.resize(size_t(in.gcount()));
  if (!in.eof() && in.gcount() == kMostBytes) {
    std::fprintf(stderr, "tunely: %s is too long to be the player's settings; using the defaults\n", quotedPath(path).c_str());
    return settings;
  }
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("volume=", 0) != 0) continue;
    const std::string value = line.substr(7);
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(v) || v < 0 || v > 1)
      std::fprintf(stderr, "tunely: %s: the volume %s is not a number from 0 to 1; using 1\n", quotedPath(path).c_str(),
                   quotedWord(value).c_str());
    else
      settings.volume = float(v);
  }
  return settings;
}

bool writePlayerSettings(const std::string& path, const PlayerSettings& settings, std::string& error) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    char line[64];
    std::snprintf(line, sizeof line, "volume=%.3f\n", double(settings.volume));
    out << line;
    out.close();
    if (!out) {
      error = "cannot write " + quotedPath(temporary) + ": " + std::strerror(errno);
      fs::remove(temporary, ec);
      return false;
    }
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    error = "cannot write " + quotedPath(path) + ": " + ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace host
