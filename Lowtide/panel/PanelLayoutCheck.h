// What makes a well-formed layout unusable as the panel: a slider that can set a value the
// settings files would not keep (it would reach the engine, and the last state, unchecked), or
// a panel that cannot be closed.
#pragma once

#include <string>

#include "Lowtide/settings/EQPreset.h"
#include "uikit/UISlider.h"
#include "uikit/UIView.h"

namespace lowtide {

// Why the slider `name` cannot be used: its range goes beyond `range` (empty: it stays within,
// or there is no such slider).
std::string sliderRangeRefusal(const UISlider* slider, const char* name, StoredRange range);

// Why "Done" (a bar button item sending close: to `owner`) cannot be tapped in the tree `root`:
// there is none, or none takes a tap at its centre. Empty when one does.
std::string doneRefusal(UIView* root, id owner);

}  // namespace lowtide
