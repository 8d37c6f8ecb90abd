// For tests only: the engine is process-wide and its sections are never released in service,
// but each test needs the state a freshly loaded library has.
#pragma once

namespace lowtide {

// Restores every parameter, the bass state and the design values to their initial values,
// releases the seven sections and empties the kernel slot. Call only while no thread uses the
// engine.
void resetEngineForTesting();

}  // namespace lowtide
