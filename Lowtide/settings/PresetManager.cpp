#include "Lowtide/settings/PresetManager.h"

#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSPropertyListSerialization.h"

namespace lowtide {

Ref<NSMutableDictionary> presets;

void PresetManager::loadPresetsFromFile() {
  if (nothingAt(kPresetsPath)) {
    presets = NSMutableDictionary::dictionary();
    savePresetsToFile();
    return;
  }
  Ref<NSData> contents = NSData::dataWithContentsOfFile(kPresetsPath);
  if (contents && contents->length() == 0) {
    // No presets were ever written into it, so writing the store over it loses nothing.
    presets = NSMutableDictionary::dictionary();
    return;
  }
  Ref<NSDictionary> stored = contents ? NSDictionary::dictionaryWithContentsOfData(contents) : nullptr;
  presets = stored ? stored->mutableCopy() : nullptr;
}

Ref<NSDictionary> PresetManager::getDict() const {
  return presets ? presets->copy() : NSDictionary::dictionary();
}

Ref<EQPreset> PresetManager::getSettingsForKey(const std::string& name) const {
  const NSObject* entry = presets ? presets->objectForKey(name) : nullptr;
  return EQPreset::presetForDict(dynamic_cast<const NSDictionary*>(entry));
}

void PresetManager::addPreset(const EQPreset* preset) {
  if (preset) {
    // A name the file cannot hold exactly would be cut short or make the file unreadable: it is
    // refused before it reaches the store, so neither the store nor the file changes.
    Ref<NSString> error;
    if (!NSPropertyListSerialization::dataFromPropertyList(preset->returnName(),
                                                          NSPropertyListXMLFormat_v1_0, &error)) {
      showSaveFailureAlert(error, presets ? presets->count() : 0);
      return;
    }
    if (presets) presets->setObject(preset->returnSettings(), preset->returnName());
  }
  savePresetsToFile();
}

void PresetManager::removePresetAtIndex(const std::string& name) {
  if (presets) presets->removeObjectForKey(name);
  savePresetsToFile();
}

void PresetManager::savePresetsToFile() {
  if (!presets) {
    // The file on disk could not be read; writing this empty store would destroy it.
    const Ref<NSString> why =
        NSString::stringWithUTF8String("The preset file could not be read and was left unchanged.");
    showSaveFailureAlert(why.get(), 0);
    return;
  }
  savePropertyListFile(presets, kPresetsPath, presets->count());
}

}  // namespace lowtide
