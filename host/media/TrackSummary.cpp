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

std::string loudness(double lufs) {
  char text[32];
  if (std::isnan(lufs)) return "   n/a LUFS";
  if (std::isinf(lufs)) return "  -inf LUFS";
  std::snprintf(text, sizeof text, "%6.1f LUFS", lufs);
  return text;
}

std::string loudnessChange(double from, double to) {
  if (!std::isfinite(from) || !std::isfinite(to)) return "n/a";
  char text[32];
  std::snprintf(text, sizeof text, "%+.1f LU", to - from);
  return text;
}

std::string levels(const char* name, const LevelMeter& m, double lufs) {
  return std::string("    ") + name + " peak " + decibels(m.peak()) + "   RMS " +
         decibels(m.rms()) + "   bass RMS " + decibels(m.bassRms()) + "   loudness " +
         loudness(lufs);
}

const char* routeName(TrackReport::Route route) {
  switch (route) {
    case TrackReport::Route::ThroughTheTap: return "through the tap";
    case TrackReport::Route::Unprocessed: return "unprocessed";
    case TrackReport::Route::NoTap: break;
  }
  return "no tap";
}

}  // namespace

TrackReport reportOf(TrackPlayback& track) {
  TrackReport r;
  r.path = track.path();
  r.sampleRate = track.sampleRate();
  r.channels = track.channels();
  r.framesPlayed = track.framesRendered();
  r.route = !track.hasTap()           ? TrackReport::Route::NoTap
            : track.filteredByTap() ? TrackReport::Route::ThroughTheTap
                                    : TrackReport::Route::Unprocessed;
  r.input = track.stream().input().levels();
  r.output = track.stream().output().levels();
  r.inputLoudness = track.stream().input().loudness();
  r.outputLoudness = track.stream().output().loudness();
  return r;
}

void printSummary(std::ostream& out, const std::vector<TrackReport>& reports) {
  out << "Summary (bass: below about " << int(kBassBandHz) << " Hz; loudness: EBU R128):\n";
  int number = 0;
  for (const TrackReport& r : reports) {
    char head[64];
    std::snprintf(head, sizeof head, "%.2f s, %.0f Hz, %d ch",
                  double(r.framesPlayed) / r.sampleRate, r.sampleRate, r.channels);
    out << "  " << ++number << ". " << r.path << " (" << head << ", " << routeName(r.route)
        << ")\n";
    out << levels("input ", r.input, r.inputLoudness) << "\n";
    out << levels("output", r.output, r.outputLoudness) << "   beyond full scale: "
        << r.output.beyondFullScale() << " samples\n";
    out << "    loudness change " << loudnessChange(r.inputLoudness, r.outputLoudness) << "\n";
  }
}

}  // namespace host
