#include "Lowtide/settings/PresetManager.h"

#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSFileManager.h"

namespace lowtide {

Ref<NSMutableDictionary> presets;

void PresetManager::loadPresetsFromFile() {
  if (!NSFileManager::defaultManager()->fileExistsAtPath(kPresetsPath)) {
    presets = NSMutableDictionary::dictionary();
    savePresetsToFile();
    return;
  }
  presets = NSMutableDictionary::dictionaryWithContentsOfFile(kPresetsPath);
}

Ref<NSDictionary> PresetManager::getDict() const {
  return presets ? presets->copy() : NSDictionary::dictionary();
}

Ref<EQPreset> PresetManager::getSettingsForKey(const std::string& name) const {
  const NSObject* entry = presets ? presets->objectForKey(name) : nullptr;
  return EQPreset::presetForDict(dynamic_cast<const NSDictionary*>(entry));
}

void PresetManager::addPreset(const EQPreset* preset) {
  if (presets && preset) presets->setObject(preset->returnSettings(), preset->returnName());
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
