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
  const float vOmega = static_cast<float>(freq.load(relaxed) * 6.283185307179586 / srate.load(relaxed));
  const float vSn = static_cast<float>(std::sin(static_cast<double>(vOmega)));
  const float vCs = static_cast<float>(std::cos(static_cast<double>(vOmega)));
  const float vAlpha = static_cast<float>(
      static_cast<double>(vSn) *
      std::sinh(((bandwidth.load(relaxed) * 0.34657359027997264) * static_cast<double>(vOmega)) /
                static_cast<double>(vSn)));
  const float vBeta = std::sqrt(vA + vA);
  A.store(vA, relaxed);
  omega.store(vOmega, relaxed);
  sn.store(vSn, relaxed);
  cs.store(vCs, relaxed);
  alpha.store(vAlpha, relaxed);
  beta.store(vBeta, relaxed);

  float vb0, vb1, vb2, va0, va1, va2;
  switch (static_cast<uint32_t>(eqType.load(relaxed))) {
    case 0:  // low pass
      vb0 = (1.0f - vCs) * 0.5f;
      vb1 = 1.0f - vCs;
      vb2 = (1.0f - vCs) * 0.5f;
      va0 = 1.0f + vAlpha;
      va1 = -2.0f * vCs;
      va2 = 1.0f - vAlpha;
      break;
    case 1:  // high pass
      vb0 = (1.0f + vCs) * 0.5f;
      vb1 = -(1.0f + vCs);
      vb2 = (1.0f + vCs) * 0.5f;
      va0 = 1.0f + vAlpha;
      va1 = -2.0f * vCs;
      va2 = 1.0f - vAlpha;
      break;
    case 2:  // high shelf
      vb0 = vA * ((vA + 1.0f) + (vA - 1.0f) * vCs + vBeta * vSn);
      vb1 = -2.0f * vA * ((vA - 1.0f) + (vA + 1.0f) * vCs);
      vb2 = vA * ((vA + 1.0f) + (vA - 1.0f) * vCs - vBeta * vSn);
      va0 = (vA + 1.0f) - (vA - 1.0f) * vCs + vBeta * vSn;
      va1 = 2.0f * ((vA - 1.0f) - (vA + 1.0f) * vCs);
      va2 = (vA + 1.0f) - (vA - 1.0f) * vCs - vBeta * vSn;
      break;
    case 3:  // peaking
      vb0 = 1.0f + vAlpha * vA;
      vb1 = -2.0f * vCs;
      vb2 = 1.0f - vAlpha * vA;
      va0 = 1.0f + vAlpha / vA;
      va1 = -2.0f * vCs;
      va2 = 1.0f - vAlpha / vA;
      break;
    default:  // an unknown type keeps the section as it is
      return;
  }
  b0.store(vb0, relaxed);
  b1.store(vb1, relaxed);
  b2.store(vb2, relaxed);
  a0.store(va0, relaxed);
  a1.store(va1, relaxed);
  a2.store(va2, relaxed);

  if (biquad* s = mainFilter.load(std::memory_order_acquire)) {
    writeCoefs(*s, vb0 / va0, vb1 / va0, vb2 / va0, va1 / va0, va2 / va0);
  }
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
  const float c1 = static_cast<float>(pb1 / pa0);
  writeCoefs(*s, static_cast<float>(pb0 / pa0), c1, static_cast<float>(pb2 / pa0), c1,
             static_cast<float>(pa2 / pa0));
}

}  // namespace lowtide
