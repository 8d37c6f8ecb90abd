// Keeps a damaged sample from ruining the one filter state every track shares.
//
// A NaN or an infinity that reaches a recursive filter stays in its history for good, and so
// does one that a huge finite sample (near 3e38) makes on its way through: every later sample
// of the session would come out NaN. The tap therefore treats non-finite input as silence
// before the walk and, after it, resets any history that is no longer finite, so the damage
// ends with the block it happened in. Finite audio and finite state pass untouched.
#pragma once

#include <cstddef>

namespace lowtide {

// Replaces every NaN and infinity among `count` samples by 0 (the other samples keep their
// bits). Runs over whole blocks on the audio thread: no branch per sample.
void silenceNonFiniteSamples(float* samples, size_t count);

// Sets to 0 the history (x1, x2, y1, y2) of every existing section with a value that is not
// finite, and the bass low pass state `cap` when it is not finite. Audio thread only.
void resetNonFiniteFilterState();

}  // namespace lowtide
