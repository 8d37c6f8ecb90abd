// How the panel shows a settings save that failed.
#pragma once

#include "foundation/NSString.h"

namespace lowtide {

// The "Fatal Error - Tunely" alert: `error` fills "%@", `size` is the number of presets being
// saved. The panel connects it to the settings code's failure report when it is bound.
void showSaveFailureAlert(NSString* error, unsigned long size);

}  // namespace lowtide
