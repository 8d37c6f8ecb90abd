#include "Lowtide/settings/LastState.h"

#include "Lowtide/settings/ApplySettings.h"
#include "Lowtide/settings/EQPreset.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSFileManager.h"

namespace lowtide {

bool readLastState() {
  if (nothingAt(kLastStatePath)) {
    ensureDataFolder(nullptr);
    NSFileManager::defaultManager()->createFileAtPath(kLastStatePath, nullptr, nullptr);
    return false;
  }
  const Ref<NSDictionary> stored = NSDictionary::dictionaryWithContentsOfFile(kLastStatePath);
  Ref<EQPreset> last = EQPreset::presetForDict(stored.get());
  if (last->filtfreq() == 0.0) return false;  // empty, unreadable, or never saved
  applyAsLastState(last->values());
  return true;
}

void writeLastState(double bassgainValue, double bassfreqValue, double bassintensValue,
                    double gainValue, double freqValue, double bandwidthValue, int32_t eqTypeValue) {
  writeLastState(ParameterValues{
      {bassgainValue, bassfreqValue, bassintensValue, gainValue, freqValue, bandwidthValue, double(eqTypeValue)}});
}

void writeLastState(const ParameterValues& values) {
  Ref<NSString> error;
  if (!ensureDataFolder(&error)) {
    reportSaveFailure(error, 1);
    return;
  }
  if (nothingAt(kLastStatePath)) {
    NSFileManager::defaultManager()->createFileAtPath(kLastStatePath, nullptr, nullptr);
  } else if (!NSData::dataWithContentsOfFile(kLastStatePath, &error)) {
    // Not a file that can be read, so not one this writer made: it stays as the user left it.
    const Ref<NSString> why = NSString::stringWithFormat("%@. It was left unchanged.", error.get());
    reportSaveFailure(why, 1);
    return;
  }
  Ref<EQPreset> last = EQPreset::initWithName("last", values);
  const Ref<NSDictionary> settings = last->returnSettings();
  savePropertyListFile(settings.get(), kLastStatePath, 1);
}

}  // namespace lowtide
