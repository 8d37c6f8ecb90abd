// The per-sample kernels and the choice of the one in force. Kernels run on the audio thread:
// they only load and store words, never allocate, lock or log.
#include "Lowtide/engine/BiquadMath.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {
namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// A missing section passes the sample on: selectKernel never puts a kernel in force before its
// section exists, but the panel's switches store into the slot directly.
float runSection(float x, biquad* section) { return section != nullptr ? bq(x, section) : x; }

}  // namespace

float dBoost(float x) {
  float c = cap.load(relaxed);
  float g1;
  const float y = bassStep(x, bassfreq.load(relaxed), bassintens.load(relaxed),
                           bassgain.load(relaxed), c, g1);
  gain1.store(g1, relaxed);
  cap.store(c, relaxed);
  return y;
}

float case1(float x) { return dBoost(runSection(x, mainFilter.load(std::memory_order_acquire))); }
float case2(float x) { return runSection(x, mainFilter.load(std::memory_order_acquire)); }
float case3(float x) { return dBoost(x); }
float case4(float x) { return x; }

float caseplus(float x) {
  for (auto& band : plusFilters) x = runSection(x, band.load(std::memory_order_acquire));
  return x / 1.5f;
}

void selectKernel(Kernel kernel) {
  const bool mainExists = mainFilter.load(std::memory_order_acquire) != nullptr;
  bool bandsExist = true;
  for (auto& band : plusFilters) bandsExist = bandsExist && band.load(std::memory_order_acquire) != nullptr;

  if (kernel == nullptr) kernel = case4;
  if ((kernel == case1 || kernel == case2) && !mainExists) kernel = case4;
  if (kernel == caseplus && !bandsExist) kernel = case4;
  performFilters.store(kernel, relaxed);
}

void setFunc() {
  const bool filter = enabled.load(relaxed);
  const bool bass = bassenabled.load(relaxed);
  selectKernel(filter ? (bass ? case1 : case2) : (bass ? case3 : case4));
}

}  // namespace lowtide
