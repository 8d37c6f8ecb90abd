// Preparation of the engine for a new stream, run by every tap's prepare.
#include "Lowtide/engine/BiquadMath.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {
namespace {

constexpr auto relaxed = std::memory_order_relaxed;
constexpr int kBandFrequencies[6] = {32, 128, 512, 2048, 8192, 16384};

// Publishes a new section in an empty slot. If another preparation filled the slot meanwhile,
// its section stays and ours goes.
void publish(std::atomic<biquad*>& slot, biquad* section) {
  biquad* expected = nullptr;
  if (!slot.compare_exchange_strong(expected, section, std::memory_order_release,
                                    std::memory_order_acquire)) {
    bqfree(section);
  }
}

bool allSectionsExist() {
  if (mainFilter.load(std::memory_order_acquire) == nullptr) return false;
  for (auto& band : plusFilters) {
    if (band.load(std::memory_order_acquire) == nullptr) return false;
  }
  return true;
}

// Turns a section into one that passes its input unchanged: finite, stable, and harmless in the
// shared filter state.
void makePassThrough(biquad& section) {
  constexpr auto r = std::memory_order_relaxed;
  section.c0.store(1.0f, r);
  section.c1.store(0.0f, r);
  section.c2.store(0.0f, r);
  section.c3.store(0.0f, r);
  section.c4.store(0.0f, r);
  storeCoefCopy(section, loadCoefs(section));
}

// Designs whichever of the seven sections is missing (all of them on the first preparation).
// The main section is the one the kernels run: a design of it that cannot run (not finite, or not
// stable) counts as missing, is dropped, and a later preparation designs it again, while the
// kernel stays at pass-through. No kernel the switches choose runs the bands, so a band that
// cannot be designed at this rate (16384 Hz at 32 kHz, any band with a bandwidth of 0) is created
// all the same, as a pass-through, and holds nothing back.
void createMissingSections() {
  const float rate = static_cast<float>(srate.load(relaxed));
  const float width = static_cast<float>(bandwidth.load(relaxed));
  if (mainFilter.load(std::memory_order_acquire) == nullptr) {
    if (biquad* s = bqn(eqType.load(relaxed), static_cast<float>(gain.load(relaxed)),
                        static_cast<float>(freq.load(relaxed)), rate, width)) {
      if (isUsableSection(*s)) {
        publish(mainFilter, s);
      } else {
        bqfree(s);
      }
    }
  }
  for (int i = 0; i < 6; ++i) {
    if (plusFilters[i].load(std::memory_order_acquire) != nullptr) continue;
    if (biquad* s = bqn(3, 0.0f, static_cast<float>(kBandFrequencies[i]), rate, width)) {
      if (!isUsableSection(*s)) makePassThrough(*s);
      publish(plusFilters[i], s);
    }
  }
}

}  // namespace

void prepareEq(double sampleRate) {
  setFunc();
  srate.store(sampleRate, relaxed);
  if (bassfreq.load(relaxed) == 0.0) {  // no bass settings yet: a transparent bass stage
    bassfreq.store(80.0, relaxed);
    bassintens.store(0.0, relaxed);
    bassgain.store(1.0, relaxed);
  }
  if (!allSectionsExist()) {
    createMissingSections();
    // The kernel the switches choose comes into force as soon as the main section exists, so
    // the first song already plays through the equalizer the panel shows as on. While it is
    // missing (its design failed) the stream passes through.
    setFunc();
  }
  updateEq();
}

}  // namespace lowtide
