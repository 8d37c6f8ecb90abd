// The chain the audio thread is running, read from the engine while it runs.
#pragma once

#include "Lowtide/response/ChainResponse.h"

namespace lowtide {

// The frame rate a curve takes before any stream has been prepared.
inline constexpr double kRateBeforeAnyStream = 44100;

// Reads the chain now in force the way the audio thread reads it (the kernel slot, the main
// section's coefficients, the bass values: relaxed loads, no lock) for a stream of `channels`
// channels at the engine's sample rate. A few loads: cheap enough to poll.
EqualizerChain liveChain(int channels);

}  // namespace lowtide
