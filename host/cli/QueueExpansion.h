// What a path named for the queue (on the command line, or dropped on the window) stands for: a
// folder's audio files, searched recursively in name order; a playlist's entries (M3U, M3U8,
// PLS), relative ones against the playlist's folder; or the file itself. Entries that are not
// there are reported in the form every track failure takes, and the queue goes on without them.
#pragma once

#include <string>
#include <vector>

namespace host {

// Whether the file's name ends as those of the audio formats the player decodes.
bool hasAudioExtension(const std::string& path);
// Whether it ends as a playlist's (.m3u, .m3u8, .pls).
bool isPlaylistPath(const std::string& path);

// The entries of a playlist's text, in order, as written (paths or file: URLs), comments and
// blank lines left out. `pls` picks the PLS form (FileN=...), else M3U.
std::vector<std::string> parsePlaylist(const std::string& text, bool pls);

// The files `named` stand for, in order. Folders and playlists inside playlists are expanded
// too, a few levels deep. Sets `anyFailed` when something named or listed could not be used.
std::vector<std::string> expandQueuePaths(const std::vector<std::string>& named, bool& anyFailed);

}  // namespace host
