// The process-wide engine state, at the values a freshly loaded library starts with.
#include "Lowtide/engine/DesignValues.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {

std::atomic<double> gain{1.0};
std::atomic<double> freq{80.0};
std::atomic<double> bandwidth{5.0};
std::atomic<int32_t> eqType{0};
std::atomic<bool> enabled{false};
std::atomic<bool> bassenabled{false};
std::atomic<double> bassgain{0.0};
std::atomic<double> bassintens{0.0};
std::atomic<double> bassfreq{0.0};
std::atomic<bool> plusenabled{false};
std::atomic<double> srate{0.0};

std::atomic<Kernel> performFilters{nullptr};
std::atomic<float> cap{0.0f};
std::atomic<float> gain1{0.0f};

std::atomic<biquad*> mainFilter{nullptr};
std::atomic<biquad*> plusFilters[6] = {};

std::atomic<float> A{0.0f}, omega{0.0f}, sn{0.0f}, cs{0.0f}, alpha{0.0f}, beta{0.0f};
std::atomic<float> b0{0.0f}, b1{0.0f}, b2{0.0f}, a0{0.0f}, a1{0.0f}, a2{0.0f};

}  // namespace lowtide
