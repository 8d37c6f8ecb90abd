#include "host/media/TrackSummary.h"

#include "host/media/CompareStage.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "host/media/TrackPlayback.h"
#include "host/text/MessageText.h"

namespace host {
namespace {

// A level that is no number of decibels says what it is: silence (-inf), a level of infinite
// samples (+inf), or one that samples which are not numbers have made not a number either.
std::string decibels(double linear) {
  char text[32];
  const double db = toDecibels(linear);
  if (std::isnan(db)) return "not a number";
  if (std::isinf(db)) return db > 0 ? "   +inf dBFS" : "   -inf dBFS";
  std::snprintf(text, sizeof text, "%7.2f dBFS", db);
  return text;
}

std::string loudness(double lufs) {
  char text[32];
  if (std::isnan(lufs)) return "   n/a LUFS";
  if (std::isinf(lufs)) return lufs > 0 ? "  +inf LUFS" : "  -inf LUFS";
  std::snprintf(text, sizeof text, "%6.1f LUFS", lufs);
  return text;
}

// The loudness meter gates out every block that holds an infinite or NaN sample, and would call
// such a stream silent: its loudness cannot be told.
double loudnessOf(const SignalAnalysis& side) {
  return std::isfinite(side.levels().rms()) ? side.loudness()
                                            : std::numeric_limits<double>::quiet_NaN();
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

// What the equalizer's curve asks of the headroom: its peak, and the gain that keeps a full-scale
// sine under full scale through it.
std::string headroom(const std::optional<ChainPeak>& peak) {
  if (!peak || !std::isfinite(peak->levelDb)) return "";
  const auto signedTenths = [](double db) {
    const double tenths = std::round(db * 10) / 10;
    char text[24];
    std::snprintf(text, sizeof text, "%s%.1f dB", tenths > 0 ? "+" : tenths < 0 ? "\u2212" : "", std::fabs(tenths));
    return std::string(text);
  };
  char where[24];
  if (peak->frequency >= 1000) std::snprintf(where, sizeof where, "%.1f kHz", peak->frequency / 1000);
  else std::snprintf(where, sizeof where, "%.0f Hz", peak->frequency);
  return " (curve peak " + signedTenths(peak->levelDb) + " at " + where + "; " +
         signedTenths(-std::max(0.0, peak->levelDb)) + " keeps a full-scale sine under 0 dBFS)";
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
  r.inputLoudness = loudnessOf(track.stream().input());
  r.outputLoudness = loudnessOf(track.stream().output());
  r.peak = track.peakAtEnd;
  return r;
}

void printSummary(std::ostream& out, const std::vector<TrackReport>& reports) {
  out << "Summary (bass: below about " << int(kBassBandHz) << " Hz; loudness: EBU R128):\n";
  int number = 0;
  for (const TrackReport& r : reports) {
    char head[64];
    std::snprintf(head, sizeof head, "%.2f s, %.0f Hz, %d ch",
                  double(r.framesPlayed) / r.sampleRate, r.sampleRate, r.channels);
    out << "  " << ++number << ". " << printable(r.path) << " (" << head << ", " << routeName(r.route)
        << ")\n";
    out << levels("input ", r.input, r.inputLoudness) << "\n";
    out << levels("output", r.output, r.outputLoudness) << "   beyond full scale: "
        << r.output.beyondFullScale() << " samples" << headroom(r.peak) << "\n";
    out << "    loudness change " << loudnessChange(r.inputLoudness, r.outputLoudness) << "\n";
  }
}

void printComparison(std::ostream& out, const CompareStage& compare) {
  if (!compare.everCompared()) return;
  char text[128];
  std::snprintf(text, sizeof text, "Compared: Tunely heard for %.2f s, Bypass for %.2f s",
                compare.secondsTunely(), compare.secondsBypass());
  out << text << "\n";
}

}  // namespace host
