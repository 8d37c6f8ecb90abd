// The last-state file: the main filter's and the bass boost's settings kept from one run of the
// player to the next, as one preset dictionary.
#pragma once

#include <cstdint>

#include "Lowtide/engine/ParameterSet.h"

namespace lowtide {

// Applies the last-state file to the engine (applyAsLastState). A missing file is created empty; a
// missing, empty or unreadable file, or one without a positive filter frequency, changes nothing.
// A symbolic link is read through; one that leads nowhere is left as it is. Answers whether it
// took the file's values.
bool readLastState();

// Writes the seven values to the last-state file as the preset dictionary ("%f" and "%i" text),
// through a symbolic link to the file it leads to. A failure is reported (reportSaveFailure) and
// leaves the old file whole; so is an existing last-state file that cannot be read (see
// readLastState), which is never replaced.
void writeLastState(const ParameterValues& values);
void writeLastState(double bassgain, double bassfreq, double bassintens, double gain, double freq,
                    double bandwidth, int32_t eqType);

}  // namespace lowtide
