// The panel's about box and options sheet: reset to defaults, and the load and save dialogs.
#include "Lowtide/panel/LoadPresetViewController.h"
#include "Lowtide/panel/PresetGlue.h"
#include "Lowtide/panel/SavePresetViewController.h"
#include "Lowtide/panel/eqView.h"
#include "uikit/UIScreen.h"

namespace lowtide {

void eqView::infoButtonClick(id) {
  alert = make<UIAlertView>(NSString::stringWithUTF8String("About Tunely"), aboutString, this,
                            NSString::stringWithUTF8String("Dismiss"));
  alert->show();
}

// Indices: 0 "Reset to defaults" (the destructive button comes first), 1 "Load", 2 "Save",
// 3 "Cancel" (last).
void eqView::moreHit(id) {
  moreSheet = make<UIActionSheet>("Options", this, "Cancel", "Reset to defaults", std::vector<std::string>{"Load", "Save"});
  moreSheet->showInView(view());
}

void eqView::actionSheetClickedButtonAtIndex(UIActionSheet*, NSInteger index) {
  switch (index) {
    case 0: resetToDefaults(); break;
    case 1: openLoadDialog(); break;
    case 2: openSaveDialog(); break;
    default: break;
  }
}

// The defaults reach the parameters and read-outs through the handlers, as a user's moves
// would; the switches, the kernel and the graphic equalizer stay as they are.
void eqView::resetToDefaults() {
  showSettings(resetValues());
}

namespace {

// A new dialog over the whole screen, above the panel, with an empty name slot.
template <class Dialog>
Ref<Dialog> openDialog(eqView& panel, const char* layout) {
  Ref<Dialog> dialog = make<Dialog>();
  const Ref<NSBundle> bundle = NSBundle::bundleWithPath(kResourceFolder);
  dialog->initWithNibName(layout, bundle.get());
  if (UIView* v = dialog->view()) {
    v->setFrame(UIScreen::mainScreen()->bounds());
    if (UIView* panelView = panel.view(); panelView && panelView->superview()) panelView->superview()->addSubview(v);
  }
  presetNameSlot = NSString::stringWithUTF8String("");
  return dialog;
}

}  // namespace

void eqView::openLoadDialog() {
  lpvc = openDialog<LoadPresetViewController>(*this, "LoadPresetViewController");
  lpvc->setVarToReturn(&presetNameSlot, &returnFromLoadLand, &deletionOfKey);
  // Read afresh: another player on this device may have saved or deleted presets meanwhile.
  if (presetStore) presetStore->loadPresetsFromFile();
  const Ref<NSDictionary> stored = presetStore ? presetStore->getDict() : NSDictionary::dictionary();
  lpvc->fillContentsWithDict(stored.get());
}

void eqView::openSaveDialog() {
  spvc = openDialog<SavePresetViewController>(*this, "SavePresetViewController");
  spvc->setVarToReturn(&presetNameSlot, &returnFromSaveLand);
}

}  // namespace lowtide
