// The arithmetic of one biquad step and one bass boost step, shared by the kernel functions and
// the block walk that runs the same kernels inline, so both give the same bits.
#pragma once

#include <atomic>

#include "Lowtide/engine/biquad.h"

namespace lowtide {

struct BiquadCoefs {
  float c0, c1, c2, c3, c4;
};

struct BiquadHistory {
  float x1, x2, y1, y2;
};

inline BiquadCoefs loadCoefs(const biquad& s) {
  constexpr auto r = std::memory_order_relaxed;
  return {s.c0.load(r), s.c1.load(r), s.c2.load(r), s.c3.load(r), s.c4.load(r)};
}

inline BiquadHistory loadHistory(const biquad& s) {
  constexpr auto r = std::memory_order_relaxed;
  return {s.x1.load(r), s.x2.load(r), s.y1.load(r), s.y2.load(r)};
}

inline void storeHistory(biquad& s, const BiquadHistory& h) {
  constexpr auto r = std::memory_order_relaxed;
  s.x1.store(h.x1, r);
  s.x2.store(h.x2, r);
  s.y1.store(h.y1, r);
  s.y2.store(h.y2, r);
}

inline void storeCoefCopy(biquad& s, const BiquadCoefs& c) {
  constexpr auto r = std::memory_order_relaxed;
  s.coefCopy[0].store(c.c0, r);
  s.coefCopy[1].store(c.c1, r);
  s.coefCopy[2].store(c.c2, r);
  s.coefCopy[3].store(c.c3, r);
  s.coefCopy[4].store(c.c4, r);
}

// Single precision, each product rounded before it is added: the build forbids contraction.
inline float biquadStep(float x, const BiquadCoefs& c, BiquadHistory& h) {
  const float result = ((c.c0 * x + c.c1 * h.x1) + c.c2 * h.x2) - c.c3 * h.y1 - c.c4 * h.y2;
  h.x2 = h.x1;
  h.x1 = x;
  h.y2 = h.y1;
  h.y1 = result;
  return result;
}

// The bass boost: a one-pole low pass y <- (x + k*y)/(k + 1) mixed back in and scaled.
// gain1 is rounded to float before use; the rest runs in double and rounds to float.
inline float bassStep(float x, double k, double intensity, double outGain, float& cap,
                      float& gain1) {
  gain1 = static_cast<float>(1.0 / (k + 1.0));
  cap = static_cast<float>(static_cast<double>(gain1) *
                           (static_cast<double>(x) + k * static_cast<double>(cap)));
  return static_cast<float>(outGain * (static_cast<double>(x) + intensity * static_cast<double>(cap)));
}

}  // namespace lowtide
