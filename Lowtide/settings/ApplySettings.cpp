#include "Lowtide/settings/ApplySettings.h"

namespace lowtide {

void applyAsLastState(const ParameterValues& values) {
  storeParameters(values);
  for (const SwitchRow& s : kSwitches) s.variable->store(true, std::memory_order_relaxed);
  selectKernel(case1);
  updateEq();
}

ParameterValues asSliderValues(const ParameterValues& values) {
  ParameterValues rounded = values;
  for (const ParameterRow& p : kParameters)
    if (p.real) rounded[p.id] = double(static_cast<float>(values[p.id]));
  return rounded;
}

void applyAsPanelLoad(const ParameterValues& values) { applyParameters(asSliderValues(values)); }

}  // namespace lowtide
