// Mistakes on `tunely play`'s command line: refused as usage errors (status 2) with a message
// that names the option and says what is wrong, before anything is installed or played.
#include <gtest/gtest.h>

#include <filesystem>

#include "CommandHarness.h"

namespace {

using tunely_test::CommandResult;

class CommandLineTest : public ::testing::Test {
 protected:
  // A track that is not there: should a mistake slip through, the player stops at once.
  CommandResult play(std::vector<std::string> args) {
    args.insert(args.begin(), {"play", temp.file("no-such-track.wav"), "--no-window"});
    return tunely_test::runTunely(args, temp.path(), {{"XDG_DATA_HOME", temp.file("data")}});
  }
  tunely_test::TempFolder temp;
};

TEST_F(CommandLineTest, ANumberThatIsNotANumberIsSaidToBeNone) {
  for (const char* option : {"--block-frames", "--scale"}) {
    for (const char* text : {"abc", "1.5", ""}) {
      SCOPED_TRACE(std::string(option) + " \"" + text + "\"");
      const CommandResult r = play({option, text, "--output", temp.file("out.wav")});
      EXPECT_EQ(r.status, 2) << r.output;
      EXPECT_NE(r.output.find(std::string(option) + ": \"" + text + "\" is not a whole number"),
                std::string::npos)
          << r.output;
      EXPECT_EQ(r.output.find("not in range"), std::string::npos) << r.output;
    }
  }
  const CommandResult outOfRange = play({"--block-frames", "0", "--output", temp.file("out.wav")});
  EXPECT_EQ(outOfRange.status, 2);
  EXPECT_NE(outOfRange.output.find("--block-frames: Value 0 not in range"), std::string::npos)
      << outOfRange.output;
}

TEST_F(CommandLineTest, AnEmptyOutputOrDeviceRootIsAUsageError) {
  const std::vector<std::vector<std::string>> mistakes = {
      {"--output", ""},
      {"-o", ""},
      {"--device-root", "", "--output", temp.file("out.wav")},
  };
  for (const std::vector<std::string>& args : mistakes) {
    SCOPED_TRACE(args.front());
    const CommandResult r = play(args);
    EXPECT_EQ(r.status, 2) << r.output;
    const std::string named = args.front() == "-o" ? "--output" : args.front();
    EXPECT_NE(r.output.find(named + ": must not be empty"), std::string::npos) << r.output;
  }
  EXPECT_FALSE(std::filesystem::exists(temp.file("data")))
      << "nothing is installed into the default device root";
}

TEST_F(CommandLineTest, VersionAndAnUnknownSubcommandAreAnsweredAsSuch) {
  const CommandResult version = tunely_test::runTunely({"--version"}, temp.path());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output.rfind("tunely ", 0), 0u) << version.output;
  EXPECT_EQ(version.output.find("subcommand"), std::string::npos) << version.output;
  const CommandResult unknown = tunely_test::runTunely({"foo"}, temp.path());
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.output.find("unknown subcommand \"foo\""), std::string::npos) << unknown.output;
}

TEST_F(CommandLineTest, AWindowThatCannotOpenIsAnErrorNamingTheDisplay) {
  tunely_test::writeFloatWav(temp.file("in.wav"), tunely_test::testSignal(44100, 2, 0.2));
  const CommandResult r = tunely_test::runTunely(
      {"play", "--device-root", temp.file("device"), temp.file("in.wav"), "--window", "--output", temp.file("out.wav")},
      temp.path(), {{"DISPLAY", ":97531"}, {"WAYLAND_DISPLAY", ""}});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("cannot open a window on the display \":97531\""), std::string::npos) << r.output;
  EXPECT_FALSE(std::filesystem::exists(temp.file("out.wav")));
}

}  // namespace
