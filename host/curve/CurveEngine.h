// The engine of the `tunely curve` process, brought to where the player's would stand with the
// settings asked for: a stream prepared at the rate given, then the settings loaded from their
// source the way the player loads them, then the switches set as the panel sets them.
#pragma once

#include <string>

#include "Lowtide/response/ChainResponse.h"
#include "host/curve/CurveCommand.h"

namespace host {

// False with the reason (a settings file missing or unreadable, an unknown preset, a filter that
// cannot be designed). The device root must be set first when the settings come from it.
bool settleEngine(const CurveOptions& options, std::string& error);

// Why the equalizer passes everything through although a stage is switched on; empty otherwise.
std::string passThroughReason(const CurveOptions& options, const lowtide::EqualizerChain& chain);

// The settings in force in words, for the table and the plot's title.
std::string describeSettings(const lowtide::EqualizerChain& chain);
// The stream and what the curve shows of it.
std::string describeStream(const lowtide::EqualizerChain& chain);

}  // namespace host
