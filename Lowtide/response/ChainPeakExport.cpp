// The headroom the chain in force needs, for the program that loaded the library: a C function
// it can look up by name, as it reports what it played.
#include "Lowtide/response/LiveChain.h"
#include "Lowtide/response/PeakGain.h"

// The peak level (dB) and its frequency (Hz) of the chain the audio thread runs, for a stream of
// `channels`. 0 when its response is not known, 1 otherwise.
extern "C" __attribute__((visibility("default"))) int LowtideChainPeak(int channels, double* levelDb,
                                                                        double* frequencyHz) {
  const std::optional<lowtide::PeakGain> peak = lowtide::peakGain(lowtide::liveChain(channels));
  if (!peak || !levelDb || !frequencyHz) return 0;
  *levelDb = peak->levelDb;
  *frequencyHz = peak->frequency;
  return 1;
}
