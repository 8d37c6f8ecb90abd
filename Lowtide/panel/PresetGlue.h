// The plain functions that join the preset dialogs to the preset store and the panel. They get
// the dialog alone and reach the rest through the panel-level references.
#pragma once

#include "foundation/NSString.h"

namespace lowtide {

class eqView;
class LoadPresetViewController;
class SavePresetViewController;

// A name was chosen in the load dialog: close it and apply that preset to the active panel.
void returnFromLoadLand(LoadPresetViewController* dialog);
// A row was deleted in the load dialog: remove the preset and refill the dialog's list.
void deletionOfKey(NSString* name, LoadPresetViewController* dialog);
// A name was accepted in the save dialog: close it and store the current settings under it.
void returnFromSaveLand(SavePresetViewController* dialog);

// Runs the seven change handlers with no sender, in the order reset and load use, so that the
// sliders' values reach the parameters and read-outs (updateEq runs four times, the last with
// every new value).
void runChangeHandlers(eqView& panel);

}  // namespace lowtide
