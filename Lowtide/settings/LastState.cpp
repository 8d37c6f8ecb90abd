#include "Lowtide/settings/LastState.h"

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/settings/EQPreset.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSFileManager.h"

namespace lowtide {

void readLastState() {
  if (nothingAt(kLastStatePath)) {
    ensureDataFolder(nullptr);
    NSFileManager::defaultManager()->createFileAtPath(kLastStatePath, nullptr, nullptr);
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
  if (nothingAt(kLastStatePath)) {
    NSFileManager::defaultManager()->createFileAtPath(kLastStatePath, nullptr, nullptr);
  } else if (!NSData::dataWithContentsOfFile(kLastStatePath, &error)) {
    // Not a file that can be read, so not one this writer made: it stays as the user left it.
    const Ref<NSString> why = NSString::stringWithFormat("%@. It was left unchanged.", error.get());
    showSaveFailureAlert(why, 1);
    return;
  }
  Ref<EQPreset> last = EQPreset::initWithName("last", bassgainValue, bassfreqValue, bassintensValue,
                                              gainValue, freqValue, bandwidthValue, eqTypeValue);
  const Ref<NSDictionary> settings = last->returnSettings();
  savePropertyListFile(settings.get(), kLastStatePath, 1);
}

}  // namespace lowtide
