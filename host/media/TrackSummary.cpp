#include "host/media/TrackSummary.h"

#include <cmath>
#include <cstdio>

#include "host/media/TrackPlayback.h"

namespace host {
namespace {

std::string decibels(double linear) {
  char text[32];
  const double db = toDecibels(linear);
  if (std::isinf(db)) return "   -inf dBFS";
  std::snprintf(text, sizeof text, "%7.2f dBFS", db);
  return text;
}

std::string levels(const char* name, const LevelMeter& m) {
  return std::string("    ") + name + " peak " + decibels(m.peak()) + "   RMS " +
         decibels(m.rms()) + "   bass RMS " + decibels(m.bassRms());
}

}  // namespace

TrackReport reportOf(const TrackPlayback& track) {
  TrackReport r;
  r.path = track.path();
  r.sampleRate = track.sampleRate();
  r.channels = track.channels();
  r.framesPlayed = track.frames() - track.framesLeft();
  r.tapped = track.hasTap();
  r.input = track.inputLevels();
  r.output = track.outputLevels();
  return r;
}

void printSummary(std::ostream& out, const std::vector<TrackReport>& reports) {
  out << "Summary (bass: below about " << int(kBassBandHz) << " Hz):\n";
  int number = 0;
  for (const TrackReport& r : reports) {
    char head[64];
    std::snprintf(head, sizeof head, "%.2f s, %.0f Hz, %d ch",
                  double(r.framesPlayed) / r.sampleRate, r.sampleRate, r.channels);
    out << "  " << ++number << ". " << r.path << " (" << head << ", "
        << (r.tapped ? "through the tap" : "no tap") << ")\n";
    out << levels("input ", r.input) << "\n";
    out << levels("output", r.output) << "   beyond full scale: " << r.output.beyondFullScale()
        << " samples\n";
  }
}

}  // namespace host
