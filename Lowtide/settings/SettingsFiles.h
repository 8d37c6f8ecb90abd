// Where the settings live, and the one way both settings files are saved.
#pragma once

#include "foundation/NSString.h"
#include "objc/NSObject.h"

namespace lowtide {

inline constexpr const char* kDataFolder = "/var/mobile/Library/Application Support/Tunely/";
inline constexpr const char* kLastStatePath =
    "/var/mobile/Library/Application Support/Tunely/last.plist";
inline constexpr const char* kPresetsPath =
    "/var/mobile/Library/Application Support/Tunely/presets.plist";

// Whether nothing at all is at the path, not even a symbolic link that leads nowhere. Only then
// may a settings file be created there: anything else at the path is the user's, and a settings
// file that cannot be read (a link to nothing, a FIFO, a device, a file too large to be a store)
// is damaged and left as it is.
bool nothingAt(const char* path);

// Creates the data folder and its parents if missing. False (with the reason) if it cannot.
bool ensureDataFolder(Ref<NSString>* errorDescription);

// Where every settings save that failed is reported: `error` says why, `size` is the number of
// presets being saved. The settings code shows nothing itself; the panel connects its alert when
// it is bound. Until then (and with null) a failure is reported nowhere. Main thread.
using SaveFailureReport = void (*)(NSString* error, unsigned long size);
void setSaveFailureReport(SaveFailureReport report);
void reportSaveFailure(NSString* error, unsigned long size);

// Encodes `plist` as an XML property list and writes it atomically to `path`, creating the data
// folder first. Any failure (encoding, folder, temporary file, rename) is reported as above and
// leaves the file as it was.
void savePropertyListFile(const NSObject* plist, const char* path, unsigned long size);

}  // namespace lowtide
