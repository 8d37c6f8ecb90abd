// The stream description the player hands a tap: linear PCM, 32-bit float, packed, with the
// channels either in one interleaved buffer or in one buffer each.
#pragma once

#include "coreaudio/CoreAudioTypes.h"

namespace host {

enum class SampleLayout { NonInterleaved, Interleaved };

// Flags 41 (float | packed | non-interleaved) or 9 (float | packed).
AudioStreamBasicDescription floatStreamDescription(double sampleRate, int channels,
                                                   SampleLayout layout);

}  // namespace host
