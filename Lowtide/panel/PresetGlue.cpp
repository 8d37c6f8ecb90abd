#include "Lowtide/panel/PresetGlue.h"

#include "Lowtide/panel/LoadPresetViewController.h"
#include "Lowtide/panel/SavePresetViewController.h"
#include "Lowtide/panel/eqView.h"

namespace lowtide {

void runChangeHandlers(eqView& panel) {
  panel.bassFrequencyChanged(nullptr);
  panel.bassGainChanged(nullptr);
  panel.bassIntensityChanged(nullptr);
  panel.freqChanged(nullptr);
  panel.gainChanged(nullptr);
  panel.bwchanged(nullptr);
  panel.typeChanged(nullptr);
}

namespace {
void closeDialog(UIViewController* dialog) {
  if (dialog && dialog->isViewLoaded()) dialog->view()->removeFromSuperview();
}
}  // namespace

void returnFromLoadLand(LoadPresetViewController* dialog) {
  Ref<UIViewController> keep(dialog);
  closeDialog(dialog);
  if (!presetStore || !activePanel) return;
  // The store's preset already has its values limited to their ranges.
  Ref<EQPreset> preset = presetStore->getSettingsForKey(presetNameSlot.get());
  activePanel->showSettings(preset->values());
}

void deletionOfKey(NSString* name, LoadPresetViewController* dialog) {
  if (!presetStore) return;
  presetStore->removePresetAtIndex(name);
  const Ref<NSDictionary> remaining = presetStore->getDict();
  if (dialog) dialog->fillContentsWithDict(remaining.get());
}

void returnFromSaveLand(SavePresetViewController* dialog) {
  Ref<UIViewController> keep(dialog);
  closeDialog(dialog);
  if (!presetStore) return;
  Ref<EQPreset> preset = EQPreset::initWithName(presetNameSlot.get(), boundParameters.values());
  presetStore->addPreset(preset.get());
}

}  // namespace lowtide
