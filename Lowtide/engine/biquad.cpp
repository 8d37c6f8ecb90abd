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

SectionDesign completeDesign(float A, float omega, double bandwidth) {
  SectionDesign d;
  d.A = A;
  d.omega = omega;
  d.sn = static_cast<float>(std::sin(static_cast<double>(omega)));
  d.cs = static_cast<float>(std::cos(static_cast<double>(omega)));
  d.alpha = static_cast<float>(
      static_cast<double>(d.sn) *
      std::sinh(((bandwidth * 0.34657359027997264) * static_cast<double>(omega)) /
                static_cast<double>(d.sn)));
  d.beta = std::sqrt(A + A);
  return d;
}

bool cookbookCoefs(uint32_t type, const SectionDesign& d, RawCoefs& out) {
  const float A = d.A, sn = d.sn, cs = d.cs, alpha = d.alpha, beta = d.beta;
  switch (type) {
    case 0:  // low pass
      out = {(1.0f - cs) * 0.5f, 1.0f - cs, (1.0f - cs) * 0.5f,
             1.0f + alpha, -2.0f * cs, 1.0f - alpha};
      return true;
    case 1:  // high pass
      out = {(1.0f + cs) * 0.5f, -(1.0f + cs), (1.0f + cs) * 0.5f,
             1.0f + alpha, -2.0f * cs, 1.0f - alpha};
      return true;
    case 2:  // high shelf
      out = {A * ((A + 1.0f) + (A - 1.0f) * cs + beta * sn),
             -2.0f * A * ((A - 1.0f) + (A + 1.0f) * cs),
             A * ((A + 1.0f) + (A - 1.0f) * cs - beta * sn),
             (A + 1.0f) - (A - 1.0f) * cs + beta * sn,
             2.0f * ((A - 1.0f) - (A + 1.0f) * cs),
             (A + 1.0f) - (A - 1.0f) * cs - beta * sn};
      return true;
    case 3:  // peaking
      out = {1.0f + alpha * A, -2.0f * cs, 1.0f - alpha * A,
             1.0f + alpha / A, -2.0f * cs, 1.0f - alpha / A};
      return true;
    default:
      return false;
  }
}

bool isUsableDesign(float c0, float c1, float c2, float c3, float c4) {
  for (float c : {c0, c1, c2, c3, c4})
    if (!std::isfinite(c)) return false;
  return std::fabs(c4) < 1.0f && std::fabs(c3) < 1.0f + c4;
}

bool isUsableSection(const biquad& s) {
  const BiquadCoefs c = loadCoefs(s);
  return isUsableDesign(c.c0, c.c1, c.c2, c.c3, c.c4);
}

namespace {
struct Normalised {
  float c0, c1, c2, c3, c4;
};
Normalised normalised(const RawCoefs& raw) {
  return {raw.b0 / raw.a0, raw.b1 / raw.a0, raw.b2 / raw.a0, raw.a1 / raw.a0, raw.a2 / raw.a0};
}
}  // namespace

bool isUsableDesign(const RawCoefs& raw) {
  const Normalised n = normalised(raw);
  return isUsableDesign(n.c0, n.c1, n.c2, n.c3, n.c4);
}

bool storeNormalised(biquad& section, const RawCoefs& raw) {
  if (!isUsableDesign(raw)) return false;
  const auto [c0, c1, c2, c3, c4] = normalised(raw);
  constexpr auto r = std::memory_order_relaxed;
  section.c0.store(c0, r);
  section.c1.store(c1, r);
  section.c2.store(c2, r);
  section.c3.store(c3, r);
  section.c4.store(c4, r);
  return true;
}

biquad* bqn(int type, float gainDb, float freq, float srate, float bandwidth) {
  // gain/40 in single precision, the power and omega in double, each rounded to float.
  const float A = static_cast<float>(std::pow(10.0, static_cast<double>(gainDb / 40.0f)));
  const float omega = static_cast<float>(static_cast<double>(freq) * 6.283185307179586 /
                                         static_cast<double>(srate));
  RawCoefs raw;
  if (!cookbookCoefs(static_cast<uint32_t>(type), completeDesign(A, omega, bandwidth), raw)) {
    return nullptr;
  }
  auto* section = new (std::nothrow) biquad;
  if (section == nullptr) return nullptr;
  section->coefCopy = new (std::nothrow) std::atomic<float>[5];
  if (section->coefCopy == nullptr) {
    delete section;
    return nullptr;
  }
  // The section gets the design as it is, usable or not; whoever puts it in use checks.
  constexpr auto r = std::memory_order_relaxed;
  section->c0.store(raw.b0 / raw.a0, r);
  section->c1.store(raw.b1 / raw.a0, r);
  section->c2.store(raw.b2 / raw.a0, r);
  section->c3.store(raw.a1 / raw.a0, r);
  section->c4.store(raw.a2 / raw.a0, r);
  storeCoefCopy(*section, loadCoefs(*section));
  return section;
}

void bqfree(biquad* section) {
  if (section == nullptr) return;
  delete[] section->coefCopy;
  delete section;
}

}  // namespace lowtide
