// The intermediate results of the main filter's last design, written by every updateEq.
// Nothing reads them to process sound; they are the design's visible trace, from which
// lastDesignTaken (Equalizer.h) tells whether the last design was usable and so taken into the
// section.
#pragma once

#include <atomic>

namespace lowtide {

extern std::atomic<float> A, omega, sn, cs, alpha, beta;
extern std::atomic<float> b0, b1, b2, a0, a1, a2;

}  // namespace lowtide
