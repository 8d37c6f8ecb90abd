// Draws a response curve: the level in dB over a logarithmic frequency axis from 20 Hz to the
// stream's Nyquist frequency, with the 0 dB line, the filter's frequency marked when the filter
// runs, and the crosstalk as a faint second line where there is any. The panel's curve strip and
// the PNG plots of `tunely curve` both draw with it.
#pragma once

#include <string>

#include "Lowtide/response/ChainResponse.h"
#include "coregraphics/CGContext.h"

namespace lowtide {

enum class PlotSize {
  Strip,  // compact, on the panel: few labels, no title
  Chart,  // a whole picture: a title, a legend, labelled axes
};

// Draws into `rect`, filling it with the plot's background first. A chart shows `title` above the
// plot: its first two lines, each cut to the width.
void drawResponsePlot(CGContext& context, CGRect rect, const ResponseCurve& curve, PlotSize size,
                      const std::string& title = {});

// The levels shown, in dB. The strip: ±12, or the smallest multiple of 12 that holds the highest
// level, lower levels running off the bottom. The chart: down to the lowest level of either
// line as well, in steps of 12 between -12 and -72 dB.
struct PlotLevels {
  double lowest, highest;
};
PlotLevels plotLevels(const ResponseCurve& curve, PlotSize size);

}  // namespace lowtide
