// Floating-point mode of a real-time audio thread.
#pragma once

// Sets flush-to-zero and denormals-are-zero on the calling thread, as the phone's processor
// runs its audio: decaying filters then reach 0 instead of slowing down on subnormal numbers.
void AudioThreadEnableFlushToZero();
