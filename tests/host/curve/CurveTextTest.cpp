// `tunely curve`'s numbers as people read them: the table never shows "-0.00", and where the
// stages leave no crosstalk (only the arithmetic's rounding, near -324 dB) neither the table nor
// the CSV gives it a figure.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "CommandHarness.h"

namespace {

using namespace tunely_test;

TEST(CurveTextTest, NoNegativeZeroAndNoCrosstalkFigureWhereThereIsNone) {
  TempFolder temp;
  for (const char* stage : {"--no-filter", "--no-bass"}) {
    SCOPED_TRACE(stage);
    const CommandResult table = runTunely({"curve", "--device-root", temp.file("device"), stage}, temp.path());
    ASSERT_EQ(table.status, 0) << table.output;
    EXPECT_EQ(table.output.find("-0.00"), std::string::npos) << table.output;
    const CommandResult csv =
        runTunely({"curve", "--device-root", temp.file("device"), stage, "-o", temp.file("c.csv")}, temp.path());
    ASSERT_EQ(csv.status, 0) << csv.output;
    std::istringstream rows(fileContents(temp.file("c.csv")));
    std::string row;
    std::getline(rows, row);  // the peak
    std::getline(rows, row);  // the header
    int rowsRead = 0;
    while (std::getline(rows, row)) {
      ++rowsRead;
      const std::string crosstalk = row.substr(row.rfind(',') + 1);
      if (!crosstalk.empty()) {
        EXPECT_GT(std::atof(crosstalk.c_str()), -240.0) << row;
      }
      EXPECT_EQ(row.find(",-0.0000"), std::string::npos) << row;
    }
    EXPECT_GT(rowsRead, 100);
  }
}

}  // namespace

namespace {

// The headroom a render's summary names is the peak of the curve in force, the one `tunely curve`
// finds for the same settings (its CSV's first line).
TEST(CurveTextTest, TheRenderSummaryNamesThePeakTunelyCurveFinds) {
  TempFolder temp;
  writeFloatWav(temp.file("in.wav"), testSignal(44100, 2, 3.0));
  writeLastState(temp.file("device"), {{"bassgain", "0.800000"}, {"bassfreq", "80.000000"}, {"bassintens", "2.000000"},
                                       {"filtgain", "9.000000"}, {"filtfreq", "3000.000000"}, {"filtbw", "5.000000"},
                                       {"filttype", "2"}});
  const CommandResult render = runTunely({"play", "--device-root", temp.file("device"), "--output", temp.file("out.wav"),
                                          temp.file("in.wav")},
                                         temp.path());
  ASSERT_EQ(render.status, 0) << render.output;
  const CommandResult csv = runTunely({"curve", "--device-root", temp.file("device"), "--last-state", "-o", temp.file("c.csv")},
                                      temp.path());
  ASSERT_EQ(csv.status, 0) << csv.output;
  double level = 0, frequency = 0;
  ASSERT_EQ(std::sscanf(fileContents(temp.file("c.csv")).c_str(), "# peak_level_db=%lf,peak_frequency_hz=%lf", &level, &frequency), 2);
  EXPECT_GT(level, 3.0);
  char expected[160];
  std::snprintf(expected, sizeof expected,
                "(curve peak +%.1f dB at %.1f kHz; \u2212%.1f dB keeps a full-scale sine under 0 dBFS)", level,
                frequency / 1000, level);
  if (frequency < 1000)
    std::snprintf(expected, sizeof expected,
                  "(curve peak +%.1f dB at %.0f Hz; \u2212%.1f dB keeps a full-scale sine under 0 dBFS)", level, frequency,
                  level);
  EXPECT_NE(render.output.find(expected), std::string::npos) << expected << "\n" << render.output;
}

}  // namespace
