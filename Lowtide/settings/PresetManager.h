// The user's named presets: the process-wide dictionary `presets` (name to preset dictionary),
// mirrored to the preset file after every change. Main thread only.
#pragma once

#include <cstddef>
#include <string>

#include "Lowtide/settings/EQPreset.h"
#include "foundation/NSDictionary.h"
#include "objc/NSObject.h"

namespace lowtide {

// Shared by every PresetManager. Nil until a load, and after a load that found a file it could
// not read as a dictionary: such a file is then never overwritten.
extern Ref<NSMutableDictionary> presets;

// The longest preset name kept, in characters.
inline constexpr size_t kPresetNameLimit = 1024;

class PresetManager : public NSObject {
 public:
  // Reads the preset file into `presets`, through a symbolic link to the file it leads to. A
  // missing file starts an empty store and writes it; a zero-byte file is an empty store too.
  void loadPresetsFromFile();
  // A new immutable copy of the store (empty when there is none).
  Ref<NSDictionary> getDict() const;
  // The preset stored under `name`, read back with its limits; a missing name gives the all-zero
  // preset. Its name is "Just Loaded".
  Ref<EQPreset> getSettingsForKey(const std::string& name) const;
  Ref<EQPreset> getSettingsForKey(const NSString* name) const {  // nil: the all-zero preset
    return name ? getSettingsForKey(name->string()) : EQPreset::presetForDict(nullptr);
  }
  // Stores the preset's dictionary under its name, replacing any such entry, then saves. A name
  // the XML file cannot hold exactly (a NUL, bytes that are not UTF-8, a control character XML
  // forbids), or longer than kPresetNameLimit, is refused (reported as a save failure),
  // changing nothing.
  //
  // Each change (adding, removing) re-reads the file under the data folder's lock, applies only
  // itself to what the file holds then and writes it back before the lock goes, so players
  // sharing one device root never lose each other's changes; `presets` then holds the file's
  // store.
  void addPreset(const EQPreset* preset);
  // Removes the preset of that name (it is a name, not a position), then saves.
  void removePresetAtIndex(const std::string& name);
  void removePresetAtIndex(const NSString* name) {  // nil removes nothing, but still saves
    if (name) removePresetAtIndex(name->string());
    else savePresetsToFile();
  }
  // Writes the store to the preset file (under the folder's lock); a failure is reported
  // (reportSaveFailure).
  void savePresetsToFile();
};

}  // namespace lowtide
