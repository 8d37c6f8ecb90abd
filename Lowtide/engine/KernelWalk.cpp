// A call through the kernel pointer per sample makes the filter state travel through memory on
// every sample, which puts store-to-load latency into the filters' recursions. Here the four
// kernels of the chain run inline over runs of samples during which the slot keeps the same
// value; coefficients and bass parameters are still loaded on every sample (relaxed loads are
// plain loads), so a main-thread change is heard from the next sample exactly as through the
// pointer. Only the audio thread's own state (history, cap, gain1) stays in registers, and it
// goes back to memory before anything else can run on it.
#include "Lowtide/engine/KernelWalk.h"

#include "Lowtide/engine/BiquadMath.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {
namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// Sample `step` of the walk: interleaves two buffers frame by frame.
template <int Buffers>
struct Samples {
  float* const buffers[Buffers];
  float& operator[](size_t step) const {
    if constexpr (Buffers == 1) {
      return buffers[0][step];
    } else {
      return buffers[step & 1][step >> 1];
    }
  }
};

bool stillInForce(Kernel kernel, size_t step, size_t total) {
  return step < total && performFilters.load(relaxed) == kernel;
}

// Each run starts at a step for which the slot was just read and held `kernel`, and returns the
// first step it did not run.
template <int Buffers>
size_t runBassOnly(const Samples<Buffers>& x, size_t step, size_t total) {
  float c = cap.load(relaxed);
  float g1 = gain1.load(relaxed);
  do {
    x[step] = bassStep(x[step], bassfreq.load(relaxed), bassintens.load(relaxed),
                       bassgain.load(relaxed), c, g1);
  } while (stillInForce(case3, ++step, total));
  cap.store(c, relaxed);
  gain1.store(g1, relaxed);
  return step;
}

template <int Buffers, bool WithBass>
size_t runMainFilter(const Samples<Buffers>& x, size_t step, size_t total) {
  biquad* section = mainFilter.load(std::memory_order_acquire);
  const Kernel kernel = WithBass ? case1 : case2;
  if (section == nullptr) {  // never in force that way; behave as the kernel itself would
    x[step] = kernel(x[step]);
    return step + 1;
  }
  BiquadHistory h = loadHistory(*section);
  BiquadCoefs coefs;
  float c = WithBass ? cap.load(relaxed) : 0.0f;
  float g1 = WithBass ? gain1.load(relaxed) : 0.0f;
  do {
    coefs = loadCoefs(*section);
    const float y = biquadStep(x[step], coefs, h);
    if constexpr (WithBass) {
      x[step] = bassStep(y, bassfreq.load(relaxed), bassintens.load(relaxed),
                         bassgain.load(relaxed), c, g1);
    } else {
      x[step] = y;
    }
  } while (stillInForce(kernel, ++step, total));
  storeHistory(*section, h);
  storeCoefCopy(*section, coefs);
  if constexpr (WithBass) {
    cap.store(c, relaxed);
    gain1.store(g1, relaxed);
  }
  return step;
}

template <int Buffers>
void walk(const Samples<Buffers>& x, size_t total) {
  size_t step = 0;
  while (step < total) {
    const Kernel kernel = performFilters.load(relaxed);
    if (kernel == case1) {
      step = runMainFilter<Buffers, true>(x, step, total);
    } else if (kernel == case2) {
      step = runMainFilter<Buffers, false>(x, step, total);
    } else if (kernel == case3) {
      step = runBassOnly(x, step, total);
    } else if (kernel == case4 || kernel == nullptr) {
      while (stillInForce(kernel, ++step, total)) {
      }
    } else {
      x[step] = kernel(x[step]);
      ++step;
    }
  }
}

}  // namespace

void walkKernel(float* buffer0, float* buffer1, size_t count) {
  if (buffer1 == nullptr) {
    walk(Samples<1>{{buffer0}}, count);
  } else {
    walk(Samples<2>{{buffer0, buffer1}}, 2 * count);
  }
}

void walkKernelThroughSlot(float* buffer0, float* buffer1, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (Kernel k = performFilters.load(relaxed)) buffer0[i] = k(buffer0[i]);
    if (buffer1 == nullptr) continue;
    if (Kernel k = performFilters.load(relaxed)) buffer1[i] = k(buffer1[i]);
  }
}

}  // namespace lowtide
