// The report printed after playing: per track its length and the levels going into and coming
// out of the tap, so the equalizer's effect can be read off.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "host/media/LevelMeter.h"

namespace host {

class TrackPlayback;

struct TrackReport {
  std::string path;
  double sampleRate = 0;
  int channels = 0;
  int64_t framesPlayed = 0;
  bool tapped = false;
  LevelMeter input, output;
};

TrackReport reportOf(const TrackPlayback& track);
void printSummary(std::ostream& out, const std::vector<TrackReport>& reports);

}  // namespace host
