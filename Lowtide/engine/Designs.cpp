// Coefficient recomputation for the main section and the six bands, run on the main thread
// (and by preparation) while the audio thread may be running the sections: each coefficient is
// written whole, in place, and the histories are left alone.
#include <cmath>

#include "Lowtide/engine/DesignValues.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {
namespace {

constexpr auto relaxed = std::memory_order_relaxed;

void writeCoefs(biquad& s, float c0, float c1, float c2, float c3, float c4) {
  s.c0.store(c0, relaxed);
  s.c1.store(c1, relaxed);
  s.c2.store(c2, relaxed);
  s.c3.store(c3, relaxed);
  s.c4.store(c4, relaxed);
}

int bandIndex(int32_t bandFreq) {
  switch (bandFreq) {
    case 32: return 0;
    case 128: return 1;
    case 512: return 2;
    case 2048: return 3;
    case 8192: return 4;
    case 16384: return 5;
    default: return -1;
  }
}

}  // namespace

void updateEq() {
  // Unlike bqn, gain/40 and omega are formed from the double-precision parameters.
  const float vA = static_cast<float>(std::pow(10.0, gain.load(relaxed) / 40.0));
  const float vOmega =
      static_cast<float>(freq.load(relaxed) * 6.283185307179586 / srate.load(relaxed));
  const SectionDesign d = completeDesign(vA, vOmega, bandwidth.load(relaxed));
  A.store(d.A, relaxed);
  omega.store(d.omega, relaxed);
  sn.store(d.sn, relaxed);
  cs.store(d.cs, relaxed);
  alpha.store(d.alpha, relaxed);
  beta.store(d.beta, relaxed);

  RawCoefs raw;
  // An unknown type keeps the section as it is.
  if (!cookbookCoefs(static_cast<uint32_t>(eqType.load(relaxed)), d, raw)) return;
  b0.store(raw.b0, relaxed);
  b1.store(raw.b1, relaxed);
  b2.store(raw.b2, relaxed);
  a0.store(raw.a0, relaxed);
  a1.store(raw.a1, relaxed);
  a2.store(raw.a2, relaxed);

  // A design that would break the shared filter state leaves the section as it was.
  if (biquad* s = mainFilter.load(std::memory_order_acquire)) storeNormalised(*s, raw);
}

bool lastDesignTaken() {
  return isUsableDesign(RawCoefs{b0.load(relaxed), b1.load(relaxed), b2.load(relaxed), a0.load(relaxed),
                                 a1.load(relaxed), a2.load(relaxed)});
}

void updatePlusEq(int32_t band, double gainDb) {
  const int index = bandIndex(band);
  if (index < 0) return;
  biquad* s = plusFilters[index].load(std::memory_order_acquire);
  if (s == nullptr) return;

  // Entirely in double; every band has a fixed bandwidth of 5 octaves (5 ln2 / 2).
  const double bandA = std::pow(10.0, gainDb / 40.0);
  const double w = static_cast<double>(band) * 6.283185307179586 / srate.load(relaxed);
  const double s_ = std::sin(w);
  const double c_ = std::cos(w);
  const double al = s_ * std::sinh(w * 1.7328679513998633 / s_);
  const double pb0 = 1.0 + al * bandA;
  const double pb1 = -2.0 * c_;
  const double pb2 = 1.0 - al * bandA;
  const double pa0 = 1.0 + al / bandA;
  const double pa2 = 1.0 - al / bandA;
  const float c0 = static_cast<float>(pb0 / pa0), c1 = static_cast<float>(pb1 / pa0);
  const float c2 = static_cast<float>(pb2 / pa0), c4 = static_cast<float>(pa2 / pa0);
  if (!isUsableDesign(c0, c1, c2, c1, c4)) return;  // the band keeps its last usable design
  writeCoefs(*s, c0, c1, c2, c1, c4);
}

}  // namespace lowtide
