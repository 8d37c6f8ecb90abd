// A render that nothing can steer measures the tap's output on the decoding thread, beside its
// input; one that a script could steer measures it on the writing thread, after the comparison.
// Both must print the same summary and write the same file, over a queue of tracks whose lengths
// end in the middle of a block.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "CommandHarness.h"

namespace {

using namespace tunely_test;

// From the summary's heading up to the line that names the file written.
std::string summaryOf(const std::string& output) {
  const size_t at = output.find("Summary");
  if (at == std::string::npos) return {};
  return output.substr(at, output.find("Wrote", at) - at);
}

TEST(RenderMeasuresTest, TheSummaryIsTheSameWhicheverThreadMeasuresTheOutput) {
  TempFolder temp;
  writeFloatWav(temp.file("a.wav"), testSignal(44100, 2, 3.3, 3));
  writeFloatWav(temp.file("b.wav"), testSignal(44100, 2, 2.7, 4));
  writeLastState(temp.file("device"), {{"bassgain", "0.800000"}, {"bassfreq", "80.000000"},
                                       {"bassintens", "2.000000"}, {"filtgain", "6.000000"},
                                       {"filtfreq", "3000.000000"}, {"filtbw", "5.000000"},
                                       {"filttype", "2"}});
  // A step that changes nothing audible keeps the script, and so a possible comparison, alive.
  std::ofstream(temp.file("steer.script")) << "1.0 compare off\n";
  const auto render = [&](const std::string& name, bool script) {
    std::vector<std::string> args{"play", "--device-root", temp.file("device"), "--output",
                                  temp.file(name + ".wav"), temp.file("a.wav"), temp.file("b.wav")};
    if (script) args.insert(args.end(), {"--script", temp.file("steer.script")});
    const CommandResult result = runTunely(args, temp.path());
    EXPECT_EQ(result.status, 0) << result.output;
    return result.output;
  };
  const std::string unsteered = summaryOf(render("unsteered", false));
  const std::string steerable = summaryOf(render("steerable", true));
  ASSERT_FALSE(unsteered.empty());
  EXPECT_EQ(unsteered, steerable);
  // A figure that could not be measured reads " n/a"; the temporary folder's name may hold "n/a".
  EXPECT_EQ(unsteered.find(" n/a"), std::string::npos) << unsteered;
  EXPECT_NE(unsteered.find("2.70 s"), std::string::npos) << unsteered;
  EXPECT_EQ(readWav(temp.file("unsteered.wav")).samples, readWav(temp.file("steerable.wav")).samples);
}

}  // namespace
