// `tunely curve`'s numbers as people read them: the table never shows "-0.00", and where the
// stages leave no crosstalk (only the arithmetic's rounding, near -324 dB) neither the table nor
// the CSV gives it a figure.
#include <gtest/gtest.h>

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
