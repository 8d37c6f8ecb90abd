// How `tunely curve` writes a curve: CSV for programs, a PNG plot for people, a short table on a
// terminal.
#pragma once

#include <cstdio>
#include <string>

#include "Lowtide/response/ChainResponse.h"

namespace host {

// A comment line with the curve's peak ("# peak_level_db=9.4123,peak_frequency_hz=63.000"), then
// one row a point: "frequency_hz,level_db,crosstalk_db", the crosstalk empty where none reaches
// the channel (one channel, or both stages off).
void writeCurveCsv(std::FILE* out, const lowtide::ResponseCurve& curve);

// The settings and the stream in two lines, the peak and the headroom it needs in a third, then
// the curve at 20, 50, 100, ... Hz and at the
// Nyquist frequency.
void printCurveTable(std::FILE* out, const lowtide::EqualizerChain& chain, const std::string& settings,
                     const std::string& stream);

// A 640 x 360 point chart at 2 pixels a point, titled with the settings and the stream. False
// with the reason when the file cannot be written.
bool writeCurvePng(const std::string& path, const lowtide::ResponseCurve& curve, const std::string& title,
                   std::string& error);

}  // namespace host
