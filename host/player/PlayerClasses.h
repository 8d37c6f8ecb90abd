// Puts the player's private classes and their methods into the runtime, once per process.
#pragma once

namespace host {
void registerPlayerClasses();
}
