// The process-wide engine state, at the values a freshly loaded library starts with.
#include "Lowtide/engine/DesignValues.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/ParameterSet.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {

std::atomic<double> gain{parameterRow(Parameter::filtgain).initial};
std::atomic<double> freq{parameterRow(Parameter::filtfreq).initial};
std::atomic<double> bandwidth{parameterRow(Parameter::filtbw).initial};
std::atomic<int32_t> eqType{static_cast<int32_t>(parameterRow(Parameter::filttype).initial)};
std::atomic<bool> enabled{kSwitches[0].initial};
std::atomic<bool> bassenabled{kSwitches[1].initial};
std::atomic<double> bassgain{parameterRow(Parameter::bassgain).initial};
std::atomic<double> bassintens{parameterRow(Parameter::bassintens).initial};
std::atomic<double> bassfreq{parameterRow(Parameter::bassfreq).initial};
std::atomic<bool> plusenabled{false};
std::atomic<double> srate{0.0};
std::atomic<uint32_t> streamChannels{2};

std::atomic<Kernel> performFilters{nullptr};
std::atomic<float> cap{0.0f};
std::atomic<float> gain1{0.0f};

std::atomic<biquad*> mainFilter{nullptr};
std::atomic<biquad*> plusFilters[6] = {};

std::atomic<float> A{0.0f}, omega{0.0f}, sn{0.0f}, cs{0.0f}, alpha{0.0f}, beta{0.0f};
std::atomic<float> b0{0.0f}, b1{0.0f}, b2{0.0f}, a0{0.0f}, a1{0.0f}, a2{0.0f};

}  // namespace lowtide
