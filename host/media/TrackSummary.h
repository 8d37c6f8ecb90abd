// The report printed after playing: per track its length, how it went through the tap, and the
// levels and loudness going into and coming out of it, so the equalizer's effect can be read off.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/loader/LoadedEqualizer.h"
#include "host/media/LevelMeter.h"

namespace host {

class CompareStage;
class TrackPlayback;

struct TrackReport {
  enum class Route { ThroughTheTap, Unprocessed, NoTap };
  std::string path;
  double sampleRate = 0;
  int channels = 0;
  int64_t framesPlayed = 0;
  Route route = Route::NoTap;
  LevelMeter input, output;
  double inputLoudness = 0, outputLoudness = 0;  // LUFS; NaN when it cannot be told
  std::optional<ChainPeak> peak;  // of the equalizer's curve as the track ended, if known
};

// Main thread, once the track is finish()ed and its output measure completed.
TrackReport reportOf(TrackPlayback& track);
void printSummary(std::ostream& out, const std::vector<TrackReport>& reports);
// How long each side of the A/B comparison was heard; nothing when the listener never compared.
void printComparison(std::ostream& out, const CompareStage& compare);

}  // namespace host
