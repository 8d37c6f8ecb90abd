// Biquad design (Audio EQ Cookbook, bandwidth in octaves, shelf slope beta = sqrt(2A)) and
// evaluation. The order of single- and double-precision steps is part of the sound.
#include "Lowtide/engine/biquad.h"

#include <cmath>
#include <new>

#include "Lowtide/engine/BiquadMath.h"

namespace lowtide {

float bq(float sample, biquad* section) {
  const BiquadCoefs c = loadCoefs(*section);
  BiquadHistory h = loadHistory(*section);
  const float result = biquadStep(sample, c, h);
  storeHistory(*section, h);
  storeCoefCopy(*section, c);
  return result;
}

biquad* bqn(int type, float gainDb, float freq, float srate, float bandwidth) {
  auto* section = new (std::nothrow) biquad;
  if (section == nullptr) return nullptr;

  const float A = static_cast<float>(std::pow(10.0, static_cast<double>(gainDb / 40.0f)));
  const float omega = static_cast<float>(static_cast<double>(freq) * 6.283185307179586 /
                                         static_cast<double>(srate));
  const float sn = static_cast<float>(std::sin(static_cast<double>(omega)));
  const float cs = static_cast<float>(std::cos(static_cast<double>(omega)));
  const float alpha = static_cast<float>(
      static_cast<double>(sn) *
      std::sinh(((static_cast<double>(bandwidth) * 0.34657359027997264) * static_cast<double>(omega)) /
                static_cast<double>(sn)));
  const float beta = std::sqrt(A + A);

  float b0, b1, b2, a0, a1, a2;
  switch (static_cast<unsigned>(type)) {
    case 0:  // low pass
      b0 = (1.0f - cs) * 0.5f;
      b1 = 1.0f - cs;
      b2 = (1.0f - cs) * 0.5f;
      a0 = 1.0f + alpha;
      a1 = -2.0f * cs;
      a2 = 1.0f - alpha;
      break;
    case 1:  // high pass
      b0 = (1.0f + cs) * 0.5f;
      b1 = -(1.0f + cs);
      b2 = (1.0f + cs) * 0.5f;
      a0 = 1.0f + alpha;
      a1 = -2.0f * cs;
      a2 = 1.0f - alpha;
      break;
    case 2:  // high shelf
      b0 = A * ((A + 1.0f) + (A - 1.0f) * cs + beta * sn);
      b1 = -2.0f * A * ((A - 1.0f) + (A + 1.0f) * cs);
      b2 = A * ((A + 1.0f) + (A - 1.0f) * cs - beta * sn);
      a0 = (A + 1.0f) - (A - 1.0f) * cs + beta * sn;
      a1 = 2.0f * ((A - 1.0f) - (A + 1.0f) * cs);
      a2 = (A + 1.0f) - (A - 1.0f) * cs - beta * sn;
      break;
    case 3:  // peaking
      b0 = 1.0f + alpha * A;
      b1 = -2.0f * cs;
      b2 = 1.0f - alpha * A;
      a0 = 1.0f + alpha / A;
      a1 = -2.0f * cs;
      a2 = 1.0f - alpha / A;
      break;
    default:
      delete section;
      return nullptr;
  }

  section->coefCopy = new (std::nothrow) std::atomic<float>[5];
  if (section->coefCopy == nullptr) {
    delete section;
    return nullptr;
  }
  const BiquadCoefs c{b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
  constexpr auto r = std::memory_order_relaxed;
  section->c0.store(c.c0, r);
  section->c1.store(c.c1, r);
  section->c2.store(c.c2, r);
  section->c3.store(c.c3, r);
  section->c4.store(c.c4, r);
  storeCoefCopy(*section, c);
  return section;
}

void bqfree(biquad* section) {
  if (section == nullptr) return;
  delete[] section->coefCopy;
  delete section;
}

}  // namespace lowtide
