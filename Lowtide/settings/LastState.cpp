#include "Lowtide/settings/LastState.h"

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/settings/EQPreset.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSFileManager.h"

namespace lowtide {

void readLastState() {
  NSFileManager* files = NSFileManager::defaultManager();
  if (!files->fileExistsAtPath(kLastStatePath)) {
    ensureDataFolder(nullptr);
    files->createFileAtPath(kLastStatePath, nullptr, nullptr);
    return;
  }
  const Ref<NSDictionary> stored = NSDictionary::dictionaryWithContentsOfFile(kLastStatePath);
  Ref<EQPreset> last = EQPreset::presetForDict(stored.get());
  if (last->filtfreq() == 0.0) return;  // empty, unreadable, or never saved

  constexpr auto relaxed = std::memory_order_relaxed;
  bassgain.store(last->bassgain(), relaxed);
  bassfreq.store(last->bassfreq(), relaxed);
  bassintens.store(last->bassintens(), relaxed);
  freq.store(last->filtfreq(), relaxed);
  gain.store(last->filtgain(), relaxed);
  bandwidth.store(last->filtbw(), relaxed);
  eqType.store(last->filttype(), relaxed);
  bassenabled.store(true, relaxed);
  enabled.store(true, relaxed);
  selectKernel(case1);
  updateEq();
}

void writeLastState(double bassgainValue, double bassfreqValue, double bassintensValue,
                    double gainValue, double freqValue, double bandwidthValue, int32_t eqTypeValue) {
  Ref<NSString> error;
  if (!ensureDataFolder(&error)) {
    showSaveFailureAlert(error, 1);
    return;
  }
  NSFileManager* files = NSFileManager::defaultManager();
  if (!files->fileExistsAtPath(kLastStatePath)) files->createFileAtPath(kLastStatePath, nullptr, nullptr);
  Ref<EQPreset> last = EQPreset::initWithName("last", bassgainValue, bassfreqValue, bassintensValue,
                                              gainValue, freqValue, bandwidthValue, eqTypeValue);
  const Ref<NSDictionary> settings = last->returnSettings();
  savePropertyListFile(settings.get(), kLastStatePath, 1);
}

}  // namespace lowtide
