#include "host/cli/QueueExpansion.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/media/PlayQueue.h"
#include "host/text/MessageText.h"

namespace host {
namespace {

namespace fs = std::filesystem;

// Playlists are text a person or a program wrote; one larger than this is not a playlist.
constexpr std::uintmax_t kMaxPlaylistBytes = 16 << 20;
// Playlists naming playlists or folders: deep enough for any real collection, and no loop.
constexpr int kMaxDepth = 8;

std::string lowerExtension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

std::string trimmed(std::string line) {
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  size_t start = 0;
  while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
  return line.substr(start);
}

// A file: URL's path, its %XX escapes decoded; empty when the entry is a URL of another kind.
bool urlToPath(const std::string& entry, std::string& path) {
  const size_t scheme = entry.find("://");
  if (scheme == std::string::npos || scheme == 0) return true;  // a path, as it is
  for (size_t i = 0; i < scheme; ++i)
    if (!std::isalpha(static_cast<unsigned char>(entry[i]))) return true;
  std::string name = entry.substr(0, scheme);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  if (name != "file") return false;
  std::string rest = entry.substr(scheme + 3);
  if (rest.rfind("localhost/", 0) == 0) rest = rest.substr(9);
  path.clear();
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
      path += char(std::strtol(rest.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return true;
}

class Expander {
 public:
  explicit Expander(bool& anyFailed) : anyFailed_(anyFailed) {}
  void add(const std::string& path, int depth);
  std::vector<std::string> files;

 private:
  void addFolder(const std::string& folder);
  void addPlaylist(const std::string& playlist, int depth);
  void failed(const std::string& path, const std::string& why) {
    reportUnplayable(path, why);
    anyFailed_ = true;
  }
  bool& anyFailed_;
};

void Expander::add(const std::string& path, int depth) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) return addFolder(path);
  if (isPlaylistPath(path) && fs::is_regular_file(status)) {
    if (depth >= kMaxDepth) return failed(path, "playlists nest too deep here");
    return addPlaylist(path, depth + 1);
  }
  files.push_back(path);  // a file, or a path the probe reports as it reports any track
}

// Every audio file under the folder, in name order, folder by folder; other files (covers,
// notes, cue sheets) are passed over without a word. Linked folders are not followed, so a
// link back up cannot loop.
void Expander::addFolder(const std::string& folder) {
  std::vector<fs::path> found;
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
  if (ec) return failed(folder, "cannot read the folder: " + ec.message());
  for (; it != end; it.increment(ec)) {
    if (ec) {
      failed(folder, "cannot read all of the folder: " + ec.message());
      break;
    }
    std::error_code typeError;
    if (it->is_regular_file(typeError) && hasAudioExtension(it->path().string())) found.push_back(it->path());
  }
  if (found.empty()) {
    if (!ec) failed(folder, "the folder holds no audio files");
    return;
  }
  std::sort(found.begin(), found.end());  // path order: element by element, so a folder's files stay together
  for (const fs::path& p : found) files.push_back(p.string());
}

void Expander::addPlaylist(const std::string& playlist, int depth) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(playlist, ec);
  if (ec) return failed(playlist, "cannot read the playlist: " + ec.message());
  if (size > kMaxPlaylistBytes) return failed(playlist, "the playlist is larger than 16 MiB");
  std::ifstream in(playlist, std::ios::binary);
  if (!in) return failed(playlist, "cannot read the playlist");
  std::ostringstream text;
  text << in.rdbuf();
  const std::vector<std::string> entries = parsePlaylist(text.str(), lowerExtension(playlist) == ".pls");
  if (entries.empty()) return failed(playlist, "the playlist lists no files");
  const fs::path base = fs::path(playlist).parent_path();
  for (const std::string& entry : entries) {
    std::string path = entry;
    if (!urlToPath(entry, path)) {
      failed(entry, "not a file on this machine (listed in " + quotedPath(playlist) + ")");
      continue;
    }
    fs::path resolved(path);
    if (resolved.is_relative()) resolved = base / resolved;
    std::error_code existsError;
    if (!fs::exists(resolved, existsError)) {
      failed(resolved.string(), "no such file (listed in " + quotedPath(playlist) + ")");
      continue;
    }
    add(resolved.lexically_normal().string(), depth);
  }
}

}  // namespace

bool hasAudioExtension(const std::string& path) {
  static const char* const kExtensions[] = {".wav", ".wave", ".flac", ".ogg", ".oga", ".opus", ".mp3", ".aif",
                                            ".aiff", ".aifc", ".caf", ".au", ".snd", ".w64", ".rf64", ".voc"};
  const std::string ext = lowerExtension(path);
  return std::any_of(std::begin(kExtensions), std::end(kExtensions), [&](const char* e) { return ext == e; });
}

bool isPlaylistPath(const std::string& path) {
  const std::string ext = lowerExtension(path);
  return ext == ".m3u" || ext == ".m3u8" || ext == ".pls";
}

std::vector<std::string> parsePlaylist(const std::string& text, bool pls) {
  std::vector<std::string> entries;
  std::multimap<long, std::string> numbered;  // PLS: FileN=..., in the order of N
  std::istringstream in(text);
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line = line.substr(3);  // a byte order mark
    first = false;
    line = trimmed(line);
    if (line.empty()) continue;
    if (!pls) {
      if (line[0] != '#') entries.push_back(line);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || line.size() < 5) continue;
    std::string key = line.substr(0, eq);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (key.rfind("file", 0) != 0 || key.size() == 4 ||
        !std::all_of(key.begin() + 4, key.end(), [](unsigned char c) { return std::isdigit(c); }))
      continue;
    const std::string value = trimmed(line.substr(eq + 1));
    if (!value.empty()) numbered.emplace(std::strtol(key.c_str() + 4, nullptr, 10), value);
  }
  for (const auto& [number, value] : numbered) entries.push_back(value);
  return entries;
}

std::vector<std::string> expandQueuePaths(const std::vector<std::string>& named, bool& anyFailed) {
  Expander expander(anyFailed);
  for (const std::string& path : named) expander.add(path, 0);
  return std::move(expander.files);
}

}  // namespace host
