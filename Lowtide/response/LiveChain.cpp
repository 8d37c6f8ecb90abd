#include "Lowtide/response/LiveChain.h"

#include <algorithm>
#include <cmath>

#include "Lowtide/engine/BiquadMath.h"
#include "Lowtide/engine/Equalizer.h"

namespace lowtide {

EqualizerChain liveChain(int channels) {
  constexpr auto relaxed = std::memory_order_relaxed;
  EqualizerChain chain;
  const double rate = srate.load(relaxed);
  chain.sampleRate = std::isfinite(rate) && rate > 0 ? rate : kRateBeforeAnyStream;
  chain.channels = std::max(1, channels);

  // An empty slot (before the first preparation) passes every sample on, as case4 does.
  const Kernel kernel = performFilters.load(relaxed);
  const bool runsFilter = kernel == case1 || kernel == case2;
  const bool runsBass = kernel == case1 || kernel == case3;
  chain.known = runsFilter || runsBass || kernel == case4 || kernel == nullptr;
  if (runsFilter) {
    chain.filterFrequency = freq.load(relaxed);
    // The kernels pass the sample on when the section is missing (never so when in force).
    if (const biquad* section = mainFilter.load(std::memory_order_acquire)) {
      const BiquadCoefs c = loadCoefs(*section);
      chain.filter = SectionCoefs{c.c0, c.c1, c.c2, c.c3, c.c4};
    }
  }
  if (runsBass)
    chain.bass = BassStage{bassfreq.load(relaxed), bassintens.load(relaxed), bassgain.load(relaxed)};
  return chain;
}

}  // namespace lowtide
