// Ogg files may be chained: whole streams one after the other in one file (a radio recording, an
// album joined into one file). The decoder plays the first of them only, so the player counts
// them to say so rather than cutting the file short without a word.
#pragma once

#include <string>

namespace host {

// The streams chained one after the other in the Ogg file at `path`: 1 for an ordinary Ogg
// file, more for a chained one, 0 for a file that does not start as Ogg. Walks the page headers
// only (a few hundred bytes a page) and stops where the page structure breaks.
int chainedOggStreams(const std::string& path);

// Says so on standard error when the file is a chain of Ogg streams; true then.
bool noteChainedOgg(const std::string& path);

}  // namespace host
