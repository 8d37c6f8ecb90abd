// Comparing and replacing installed files, for laying out a device root that any number of
// players may start from at the same moment.
#pragma once

#include <filesystem>
#include <system_error>

namespace host {

// Whether both files can be read and hold the same bytes. The sizes are compared first, so a
// differing copy usually costs no reading; equal sizes are compared block by block.
bool haveSameContents(const std::filesystem::path& a, const std::filesystem::path& b);

// Makes `target` a copy of `source` (with its permissions): the copy is written to a temporary
// file beside `target`, then renamed over it. A reader sees the old file or the new one whole,
// never a part, and a process that has the old file open or mapped keeps it. Each call has a
// temporary file of its own, so players replacing the same file at once do not meet; the last
// rename wins. False with `ec` set on failure, leaving `target` as it was and no temporary file.
bool replaceByCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                   std::error_code& ec);

}  // namespace host
