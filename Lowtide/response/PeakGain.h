// The loudest point of the equalizer's curve: the largest gain the chain gives a centred sine
// from 20 Hz to the Nyquist frequency, and where. A full-scale sine there goes that far over full
// scale, so turning the sound down by as much keeps every sine under it: the headroom a setting
// needs.
#pragma once

#include <optional>
#include <string>

#include "Lowtide/response/ChainResponse.h"

namespace lowtide {

struct PeakGain {
  double frequency = 0;  // Hz
  double levelDb = 0;
};

// None for a chain whose response is not known. Found on a grid of 48 points an octave, then
// narrowed down between the grid points around the largest to a thousandth of a semitone.
std::optional<PeakGain> peakGain(const EqualizerChain& chain);

// "peak +9.4 dB at 63 Hz" ("at 2.2 kHz" from 1 kHz on; a minus sign for a cut); "no sound
// passes" for a chain that silences everything.
std::string peakText(const PeakGain& peak);

}  // namespace lowtide
