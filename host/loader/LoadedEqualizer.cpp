#include "host/loader/LoadedEqualizer.h"

#include <dlfcn.h>

namespace host {

std::optional<ChainPeak> chainPeakInForce(int channels) {
  using Query = int (*)(int, double*, double*);
  const auto query = reinterpret_cast<Query>(dlsym(RTLD_DEFAULT, "LowtideChainPeak"));
  ChainPeak peak;
  if (!query || !query(channels, &peak.levelDb, &peak.frequency)) return std::nullopt;
  return peak;
}

}  // namespace host
