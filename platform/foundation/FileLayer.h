// The file layer under Foundation's file calls: whole-file reads, direct and atomic writes, and
// folder creation on this machine's paths (callers map device paths through DeviceRoot first).
//
// It also holds the fault-injection seam: tests make a chosen step fail with a chosen errno, since
// running as root they cannot make a write fail through permissions.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The largest file read: far beyond any file the system keeps, small enough to hold in memory.
inline constexpr std::size_t kFileReadLimit = std::size_t{64} << 20;

// Reads the whole file, following symbolic links, without ever blocking. Gives nothing (and sets
// *error, if given, to a one-line reason) for anything but a regular file (a FIFO, a device, a
// folder), a link that leads nowhere or loops, or a file larger than kFileReadLimit.
std::optional<std::vector<unsigned char>> FileReadAll(const std::string& hostPath,
                                                      std::string* error = nullptr);

// Writes `size` bytes to the file. Atomically: into a temporary file in the same folder which
// then replaces the file by rename, so the file at hostPath is either its old self or complete;
// through a symbolic link, the file it leads to is replaced (or created) and the link kept, and
// only a regular file is ever replaced. Otherwise: truncates and writes in place. On failure returns false and sets *error (if given)
// to a one-line description of the step and the system's reason; a failed atomic write removes its temporary file.
bool FileWrite(const std::string& hostPath, const void* bytes, std::size_t size, bool atomically,
               std::string* error);

// Removes the temporary files an atomic write of `hostPath` (or the same naming beside any file
// written whole: ".NAME.XXXXXX", mkstemp's six letters and digits) left behind when its process
// was killed before the rename. Only regular files of that name, in that folder, last changed
// before this process started: a writer that is still at work changes its file as it writes.
// Atomic writes call it before they write.
void FileRemoveStaleTemporaries(const std::string& hostPath);

// Creates the folder; with intermediates, also its missing parents. An existing folder is success
// with intermediates and failure without, as mkdir(2) and NSFileManager have it.
bool FileCreateDirectory(const std::string& hostPath, bool withIntermediates, std::string* error);

// Steps of the file layer that a test can make fail.
enum class FileStep {
  CreateTemporary,  // opening the temporary file of an atomic write
  WriteTemporary,   // writing its contents (fails after writing half of them, as a full disk does)
  Rename,           // replacing the target with the temporary file
  WriteInPlace,     // a non-atomic write
  CreateDirectory,  // making a folder
};

// From now on every `step` fails with errno value `error`, until cleared.
void FileLayerInjectFault(FileStep step, int error);
void FileLayerClearFaults();
