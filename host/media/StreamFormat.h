// The stream description the player hands a tap: linear PCM, 32-bit float, packed, with the
// channels either in one interleaved buffer or in one buffer each.
#pragma once

#include "coreaudio/CoreAudioTypes.h"

namespace host {

// Automatic: one buffer per channel for mono and stereo, as the phone's player hands them, and
// one interleaved buffer beyond two channels, the only way the equalizer filters such a stream.
enum class SampleLayout { NonInterleaved, Interleaved, Automatic };

// The layout a track of `channels` channels is handed in (never Automatic).
SampleLayout layoutFor(SampleLayout requested, int channels);

// The equalizer filters one interleaved buffer, or one or two separate buffers; it leaves a
// stream in more buffers as it is.
bool equalizerFilters(SampleLayout layout, int channels);

// Flags 41 (float | packed | non-interleaved) or 9 (float | packed).
AudioStreamBasicDescription floatStreamDescription(double sampleRate, int channels,
                                                   SampleLayout layout);

}  // namespace host
