#include "host/curve/CurveOutput.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "Lowtide/response/ResponsePlot.h"
#include "Lowtide/response/PeakGain.h"

namespace host {
namespace {

// Below this a crosstalk is the rounding of the arithmetic, not a sound: there is none.
constexpr double kNoCrosstalkDb = -240;

std::string levelOrNothing(double db, const char* pattern, const char* nothing) {
  if (!std::isfinite(db)) return nothing;
  char text[32];
  std::snprintf(text, sizeof text, pattern, db);
  // A level that rounds to zero is zero, whichever side it came from: never "-0.00".
  if (text[0] == '-' && std::string(text).find_first_of("123456789") == std::string::npos)
    std::snprintf(text, sizeof text, pattern, 0.0);
  return text;
}

double crosstalkOrNone(double db) { return db < kNoCrosstalkDb ? -INFINITY : db; }

// The gain that brings the peak down to 0 dB: none is needed where the chain boosts nothing.
std::string headroomText(double peakDb) {
  const double tenths = std::round(std::max(0.0, peakDb) * 10) / 10;
  char text[32];
  std::snprintf(text, sizeof text, "%s%.1f dB", tenths > 0 ? "\u2212" : "", tenths);
  return text;
}

}  // namespace

void writeCurveCsv(std::FILE* out, const lowtide::ResponseCurve& curve) {
  if (const std::optional<lowtide::PeakGain> peak = lowtide::peakGain(curve.chain))
    std::fprintf(out, "# peak_level_db=%.4f,peak_frequency_hz=%.3f\n", peak->levelDb, peak->frequency);
  std::fprintf(out, "frequency_hz,level_db,crosstalk_db\n");
  for (const lowtide::CurvePoint& p : curve.points)
    std::fprintf(out, "%.3f,%s,%s\n", p.frequency, levelOrNothing(p.levelDb, "%.4f", "-inf").c_str(), levelOrNothing(crosstalkOrNone(p.crosstalkDb), "%.4f", "").c_str());
}

void printCurveTable(std::FILE* out, const lowtide::EqualizerChain& chain, const std::string& settings,
                     const std::string& stream) {
  std::vector<double> frequencies;
  for (double f : {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000})
    if (f < chain.nyquist()) frequencies.push_back(f);
  frequencies.push_back(chain.nyquist());
  const lowtide::ResponseCurve curve = lowtide::responseCurve(chain, frequencies);

  const bool crosstalk = chain.channels > 1;
  std::fprintf(out, "%s\n%s\n", settings.c_str(), stream.c_str());
  if (const std::optional<lowtide::PeakGain> peak = lowtide::peakGain(chain); peak && std::isfinite(peak->levelDb))
    std::fprintf(out, "%s: %s keeps a full-scale sine under 0 dBFS\n", lowtide::peakText(*peak).c_str(),
                 headroomText(peak->levelDb).c_str());
  std::fprintf(out, "\n");
  std::fprintf(out, "%11s  %11s%s\n", "frequency", "level", crosstalk ? "   crosstalk" : "");
  for (const lowtide::CurvePoint& p : curve.points) {
    std::fprintf(out, "%8.0f Hz  %8s dB", p.frequency, levelOrNothing(p.levelDb, "%+.2f", "-inf").c_str());
    if (crosstalk) std::fprintf(out, "  %7s%s", levelOrNothing(crosstalkOrNone(p.crosstalkDb), "%+.1f", "none").c_str(),
                                std::isfinite(crosstalkOrNone(p.crosstalkDb)) ? " dB" : "   ");
    std::fprintf(out, "\n");
  }
}

bool writeCurvePng(const std::string& path, const lowtide::ResponseCurve& curve, const std::string& title,
                   std::string& error) {
  const CGSize size = CGSizeMake(640, 360);
  CGBitmapContext bitmap(size, 2);
  lowtide::drawResponsePlot(bitmap.context(), CGRectMake(0, 0, size.width, size.height), curve,
                            lowtide::PlotSize::Chart, title);
  return bitmap.writePNG(path, error);
}

}  // namespace host
