// The library's one start-up entry: when the library is loaded into the player, install the hooks
// into the player's classes before the player calls any of them.
#include "Lowtide/player/HookRegistry.h"

__attribute__((constructor)) static void LowtideInitialiser() { lowtide::installHooks(); }
