// The two ways a settings record reaches the engine: as the last state, and as the panel loads a
// preset. The player, the panel and `tunely curve` all go through these.
#pragma once

#include "Lowtide/engine/ParameterSet.h"

namespace lowtide {

// The seven values into the engine's parameters, both stages switched on, case1 selected, then
// the main section recomputed.
void applyAsLastState(const ParameterValues& values);

// The values as the panel's sliders hold them once set: each in single precision (the filter
// type, a segment index, as it is). A settings record's values are already within the sliders'
// ranges.
ParameterValues asSliderValues(const ParameterValues& values);

// As the panel applies a loaded preset, without a panel: the values through the sliders into the
// engine's parameters, then the main section recomputed. The switches stay as they are.
void applyAsPanelLoad(const ParameterValues& values);

}  // namespace lowtide
