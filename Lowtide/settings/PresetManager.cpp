#include "Lowtide/settings/PresetManager.h"

#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/FolderLock.h"
#include "foundation/NSPropertyListSerialization.h"
#include "foundation/PropertyListPlainXML.h"

namespace lowtide {

Ref<NSMutableDictionary> presets;

namespace {

// How long a change waits for another player to finish its own.
constexpr int kStoreLockTimeoutMs = 10000;

// Reads the preset file as it is now: an empty store when nothing is there (*missing then set) or
// the file is empty, nil when it cannot be read as a dictionary. When the file holds exactly what
// `presets` would be written as, that is the store: reading a large file again only to get the
// same store would cost time and, for a while, twice the memory.
Ref<NSMutableDictionary> readStoreFile(bool* missing) {
  *missing = nothingAt(kPresetsPath);
  if (*missing) return NSMutableDictionary::dictionary();
  Ref<NSData> contents = NSData::dataWithContentsOfFile(kPresetsPath);
  // No presets were ever written into an empty file, so writing the store over it loses nothing.
  if (contents && contents->length() == 0) return NSMutableDictionary::dictionary();
  if (contents && presets &&
      isPlainXMLPropertyListOf(presets.get(), NSPropertyListSerialization::kMaxNesting,
                               std::string_view(reinterpret_cast<const char*>(contents->bytes()),
                                                contents->length())))
    return presets;
  presets = nullptr;  // the old store goes before the new one is made
  Ref<NSDictionary> stored = contents ? NSDictionary::dictionaryWithContentsOfData(contents) : nullptr;
  return stored ? stored->mutableCopy() : nullptr;
}

void showWhy(const std::string& why, unsigned long size) {
  reportSaveFailure(NSString::stringWithString(why).get(), size);
}

// Number of characters (code points) of UTF-8 text.
size_t characterCount(const std::string& text) {
  size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

void writeStoreFile() {
  if (!presets) {
    // The file on disk could not be read; writing this empty store would destroy it.
    showWhy("The preset file could not be read and was left unchanged.", 0);
    return;
  }
  savePropertyListFile(presets, kPresetsPath, presets->count());
}

// Runs `work` holding the data folder's lock; says why when the folder cannot be made or locked.
template <typename Work>
void withStoreLock(Work work) {
  const unsigned long size = presets ? presets->count() : 0;
  Ref<NSString> error;
  if (!ensureDataFolder(&error)) {
    reportSaveFailure(error, size);
    return;
  }
  std::string why;
  FolderLock lock(kDataFolder, kStoreLockTimeoutMs, &why);
  if (!lock.held()) {
    showWhy(why, size);
    return;
  }
  work();
}

// Several players may share one device root. Each change is made under the folder's lock to the
// store as the file holds it at that moment, so what another player saved or deleted since this
// one last read it is kept, and only this change is added to it.
template <typename Change>
void changeStoreFile(Change change) {
  withStoreLock([&] {
    bool missing = false;
    presets = readStoreFile(&missing);
    if (presets) change(*presets);
    writeStoreFile();
  });
}

}  // namespace

void PresetManager::loadPresetsFromFile() {
  bool missing = false;
  presets = readStoreFile(&missing);
  if (!missing) return;
  // Created under the lock, and only if no other player created it meanwhile.
  withStoreLock([&] {
    presets = readStoreFile(&missing);
    if (missing) writeStoreFile();
  });
}

Ref<NSDictionary> PresetManager::getDict() const {
  return presets ? presets->copy() : NSDictionary::dictionary();
}

Ref<EQPreset> PresetManager::getSettingsForKey(const std::string& name) const {
  const NSObject* entry = presets ? presets->objectForKey(name) : nullptr;
  return EQPreset::presetForDict(dynamic_cast<const NSDictionary*>(entry));
}

void PresetManager::addPreset(const EQPreset* preset) {
  if (!preset) {
    changeStoreFile([](NSMutableDictionary&) {});
    return;
  }
  const unsigned long size = presets ? presets->count() : 0;
  // A name the file cannot hold exactly would be cut short or make the file unreadable: it is
  // refused before it reaches the store, so neither the store nor the file changes.
  Ref<NSString> error;
  if (!NSPropertyListSerialization::dataFromPropertyList(preset->returnName(),
                                                        NSPropertyListXMLFormat_v1_0, &error)) {
    reportSaveFailure(error, size);
    return;
  }
  // Far more than a list row shows; a longer name only bloats the file and the lists.
  if (characterCount(preset->returnName()->string()) > kPresetNameLimit) {
    showWhy("A preset name may have at most " + std::to_string(kPresetNameLimit) + " characters.",
            size);
    return;
  }
  Ref<NSDictionary> settings = preset->returnSettings();
  Ref<NSString> name(preset->returnName());
  changeStoreFile([&](NSMutableDictionary& store) { store.setObject(settings, name); });
}

void PresetManager::removePresetAtIndex(const std::string& name) {
  changeStoreFile([&](NSMutableDictionary& store) { store.removeObjectForKey(name); });
}

void PresetManager::savePresetsToFile() { withStoreLock(writeStoreFile); }

}  // namespace lowtide
