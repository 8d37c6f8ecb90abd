#include "Lowtide/engine/EngineTesting.h"

#include "Lowtide/engine/DesignValues.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/ParameterSet.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {

void resetEngineForTesting() {
  constexpr auto r = std::memory_order_relaxed;
  storeParameters(initialValues());
  for (const SwitchRow& s : kSwitches) s.variable->store(s.initial, r);
  plusenabled.store(false, r);
  srate.store(0.0, r);
  streamChannels.store(2, r);
  performFilters.store(nullptr, r);
  cap.store(0.0f, r);
  gain1.store(0.0f, r);
  bqfree(mainFilter.exchange(nullptr));
  for (auto& band : plusFilters) bqfree(band.exchange(nullptr));
  for (auto* v : {&A, &omega, &sn, &cs, &alpha, &beta, &b0, &b1, &b2, &a0, &a1, &a2}) v->store(0.0f, r);
}

}  // namespace lowtide
