// What the player asks of the equalizer library it loaded, through the C functions it exports
// (looked up by name among the loaded libraries): nothing when no such library is loaded.
#pragma once

#include <optional>

namespace host {

struct ChainPeak {
  double levelDb = 0;    // the largest gain of the curve
  double frequency = 0;  // Hz, where it lies
};

// Main thread: the peak of the equalizer's curve in force, for a stream of `channels`.
std::optional<ChainPeak> chainPeakInForce(int channels);

}  // namespace host
