// One second-order filter section: five normalised coefficients, four history samples.
//
// The coefficients are rewritten in place by the main thread (updateEq, updatePlusEq) while the
// audio thread runs the section, so each is a word read and written whole with relaxed atomics:
// a rewrite may be seen half done by the samples that run during it, but never torn within a
// word. The history belongs to the audio thread; it is atomic too so that a later tap on another
// thread continues it without a data race.
#pragma once

#include <atomic>
#include <cstdint>

namespace lowtide {

struct biquad {
  std::atomic<float> c0{0.0f};  // b0/a0
  std::atomic<float> c1{0.0f};  // b1/a0
  std::atomic<float> c2{0.0f};  // b2/a0
  std::atomic<float> c3{0.0f};  // a1/a0, subtracted
  std::atomic<float> c4{0.0f};  // a2/a0, subtracted
  std::atomic<float> x1{0.0f};
  std::atomic<float> x2{0.0f};
  std::atomic<float> y1{0.0f};
  std::atomic<float> y2{0.0f};
  // Copy of the coefficients the last evaluation used; five floats of their own allocation.
  std::atomic<float>* coefCopy = nullptr;
};

// The intermediate values of one design, all single precision.
struct SectionDesign {
  float A, omega, sn, cs, alpha, beta;
};

// The unnormalised coefficients of one section: numerator b, denominator a.
struct RawCoefs {
  float b0, b1, b2, a0, a1, a2;
};

// Completes a design from A and omega (both already rounded to float): sn and cs in double from
// omega, alpha = sn * sinh(bandwidth * ln2/2 * omega / sn) in double, beta = sqrt(2A) in float.
SectionDesign completeDesign(float A, float omega, double bandwidth);

// The cookbook table for type 0 low pass, 1 high pass, 2 high shelf, 3 peaking, in single
// precision. False (and `out` untouched) for any other type.
bool cookbookCoefs(uint32_t type, const SectionDesign& d, RawCoefs& out);

// Whether coefficients can run in the shared filter state: all five finite, and the section
// strictly stable (its poles inside the unit circle: |c4| < 1 and |c3| < 1 + c4). A design that
// fails this (a frequency of 0 Hz, a bandwidth of 0, ...) would fill the one history every song
// shares with NaN or an unbounded signal for the rest of the process, so it is never written.
bool isUsableDesign(float c0, float c1, float c2, float c3, float c4);
bool isUsableSection(const biquad& section);
// The same of unnormalised coefficients, once divided by a0.
bool isUsableDesign(const RawCoefs& raw);

// Divides by a0 and writes c0..c4 into the section in place, each coefficient whole, when they
// make a usable design; otherwise leaves the section as it was. Answers whether it wrote.
bool storeNormalised(biquad& section, const RawCoefs& raw);

// Runs one sample through `section` (which must exist) and returns the filtered sample.
float bq(float sample, biquad* section);

// Designs a new section with zero history: type 0 low pass, 1 high pass, 2 high shelf,
// 3 peaking. Returns null for any other type or when memory is exhausted.
biquad* bqn(int type, float gainDb, float freq, float srate, float bandwidth);

// Releases a section made by bqn. The engine never does (its sections live as long as the
// process); tests that start the engine afresh do.
void bqfree(biquad* section);

}  // namespace lowtide
