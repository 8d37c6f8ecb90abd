// Preparation of the engine for a new stream, run by every tap's prepare.
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"

namespace lowtide {
namespace {

constexpr auto relaxed = std::memory_order_relaxed;
constexpr int kBandFrequencies[6] = {32, 128, 512, 2048, 8192, 16384};

// Publishes a new section in an empty slot. If another preparation filled the slot meanwhile,
// its section stays and ours goes. A section whose design cannot run (not finite, or not stable)
// counts as missing: it is dropped, and a later preparation designs it again.
void publish(std::atomic<biquad*>& slot, biquad* section) {
  if (!isUsableSection(*section)) {
    bqfree(section);
    return;
  }
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

// Designs whichever of the seven sections is missing (all of them on the first preparation).
void createMissingSections() {
  const float rate = static_cast<float>(srate.load(relaxed));
  const float width = static_cast<float>(bandwidth.load(relaxed));
  if (mainFilter.load(std::memory_order_acquire) == nullptr) {
    if (biquad* s = bqn(eqType.load(relaxed), static_cast<float>(gain.load(relaxed)),
                        static_cast<float>(freq.load(relaxed)), rate, width)) {
      publish(mainFilter, s);
    }
  }
  for (int i = 0; i < 6; ++i) {
    if (plusFilters[i].load(std::memory_order_acquire) != nullptr) continue;
    if (biquad* s = bqn(3, 0.0f, static_cast<float>(kBandFrequencies[i]), rate, width)) {
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
    // The kernel the switches choose comes into force as soon as every section exists, so the
    // first song already plays through the equalizer the panel shows as on. While a section is
    // missing (its design failed) the stream passes through.
    if (allSectionsExist()) {
      setFunc();
    } else {
      selectKernel(case4);
    }
  }
  updateEq();
}

}  // namespace lowtide
