// Mistakes on `tunely curve`'s command line: usage errors that say what is wrong, ranges written
// as people write numbers, and an output file that cannot be written named.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "CommandHarness.h"

namespace {

using tunely_test::CommandResult;

// `tunely curve`: NaN passes any range check (it compares false), and an empty preset name is no
// preset; both are usage errors that say what is wrong.
TEST(CurveCommandLine, NaNAndAnEmptyPresetNameAreUsageErrors) {
  tunely_test::TempFolder temp;
  const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
      {{"--rate", "nan"}, "--rate: \"nan\" is not a finite number"},
      {{"--filtgain", "nan"}, "--filtgain: \"nan\" is not a finite number"},
      {{"--bassfreq", "-nan"}, "--bassfreq: \"-nan\" is not a finite number"},
      {{"--preset", ""}, "--preset: a preset has a name"},
  };
  for (const auto& [args, message] : mistakes) {
    std::vector<std::string> command{"curve", "--device-root", temp.file("device"), "-o",
                                     temp.file("curve.csv")};
    command.insert(command.end(), args.begin(), args.end());
    const CommandResult r = tunely_test::runTunely(command, temp.path());
    EXPECT_EQ(r.status, 2) << message << "\n" << r.output;
    EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(temp.file("curve.csv")));
  }
}

// Range errors write their bounds as people write numbers, and a file that cannot be written is
// named.
TEST(CurveCommandLine, RangesReadAsWrittenAndAnUnwritableFileIsNamed) {
  tunely_test::TempFolder temp;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--filtfreq", "7000"}, "--filtfreq: Value 7000 not in range 0 to 6000\n"},
      {{"--rate", "1"}, "--rate: Value 1 not in range 8000 to 768000\n"},
      {{"-o", temp.file("missing/dir/c.png")}, "cannot write \"" + temp.file("missing/dir/c.png") + "\": "},
      {{"-o", temp.file("missing/dir/c.csv")}, "cannot write \"" + temp.file("missing/dir/c.csv") + "\": "},
  };
  for (const auto& [args, message] : cases) {
    std::vector<std::string> command{"curve", "--device-root", temp.file("device")};
    command.insert(command.end(), args.begin(), args.end());
    const CommandResult r = tunely_test::runTunely(command, temp.path());
    EXPECT_NE(r.status, 0) << r.output;
    EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
  }
}

}  // namespace
