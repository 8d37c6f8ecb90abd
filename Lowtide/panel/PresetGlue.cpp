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
  eqView& panel = *activePanel;
  if (panel.bassGainSlider) panel.bassGainSlider->setValue(float(preset->bassgain()), false);
  if (panel.bassFrequencySlider) panel.bassFrequencySlider->setValue(float(preset->bassfreq()), false);
  if (panel.bassIntensitySlider) panel.bassIntensitySlider->setValue(float(preset->bassintens()), false);
  if (panel.freqSlider) panel.freqSlider->setValue(float(preset->filtfreq()), false);
  if (panel.gainSlider) panel.gainSlider->setValue(float(preset->filtgain()), false);
  if (panel.BWSlider) panel.BWSlider->setValue(float(preset->filtbw()), false);
  if (panel.typeControl) panel.typeControl->setSelectedSegmentIndex(preset->filttype());
  runChangeHandlers(panel);
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
  auto value = [](const std::atomic<double>* p) { return p ? p->load(std::memory_order_relaxed) : 0.0; };
  Ref<EQPreset> preset = EQPreset::initWithName(
      presetNameSlot.get(), value(bassgainPtr), value(bassfreqPtr), value(bassintensPtr), value(gainPtr),
      value(freqPtr), value(bandwidthPtr), eqTypePtr ? eqTypePtr->load(std::memory_order_relaxed) : 0);
  presetStore->addPreset(preset.get());
}

}  // namespace lowtide
