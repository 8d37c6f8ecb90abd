// Opening the equalizer panel over the player's window: the method showCTRLS that the system
// adds to the controls view ("v@:"), run when an equalizer button is tapped.
#pragma once

#include "Lowtide/panel/eqView.h"
#include "objc/runtime.h"

namespace lowtide {

inline constexpr double kBackdropFromVersion = 800.0;  // strictly above: the translucent backdrop
inline constexpr const char* kPanelLayout = "eqView";

// The panel most recently opened.
extern Ref<eqView> view;

void showCTRLS(id self, SEL cmd);

}  // namespace lowtide
