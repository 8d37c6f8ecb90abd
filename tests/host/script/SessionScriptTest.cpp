// What a script's reader says about the lines it cannot take: every one of them at once, each
// with its number, with the words it quotes escaped and cut, and numbers read as people write
// them.
#include <gtest/gtest.h>

#include <string>

#include "host/script/SessionScript.h"

namespace {

std::string refusal(const std::string& text) {
  std::string error;
  EXPECT_FALSE(host::parseSessionScript(text, "s.script", error)) << text;
  return error;
}

TEST(SessionScript, EveryMalformedLineIsReportedWithItsNumber) {
  const std::string error =
      refusal("1.0 tap play\n1.5 tapp play\n# fine\n2.0 slide gainSlider loud\n2.5 switch powerSwitch maybe\n");
  EXPECT_EQ(error,
            "s.script:2: unknown verb \"tapp\"\n"
            "s.script:4: the value \"loud\" is not a number\n"
            "s.script:5: a switch is turned \"on\" or \"off\", not \"maybe\"");
}

TEST(SessionScript, AStepEarlierThanTheOneBeforeItIsRefused) {
  EXPECT_EQ(refusal("2.0 tap play\n2.0 tap next\n1.0 tap \"Done\"\n"),
            "s.script:3: the time 1 s is earlier than that of the step on line 2 (2 s): steps are written in "
            "time order");
}

TEST(SessionScript, AByteOrderMarkIsSkippedAndNumbersAreReadAsWritten) {
  std::string error;
  const auto script = host::parseSessionScript("\xEF\xBB\xBF" "0.5 slide gainSlider 1e-320\n", "s.script", error);
  ASSERT_TRUE(script) << error;
  ASSERT_EQ(script->steps.size(), 1u);
  EXPECT_EQ(script->steps[0].time, 0.5);
  EXPECT_GT(script->steps[0].value, 0.0);  // a denormal, kept
  EXPECT_EQ(refusal("1e400 tap play\n"), "s.script:1: the time \"1e400\" is out of range");
  EXPECT_EQ(refusal("1 slide gainSlider nan\n"), "s.script:1: the value \"nan\" is not a finite number");
  EXPECT_EQ(refusal("1 segment typeControl 1e19\n"), "s.script:1: the segment index \"1e19\" is out of range");
}

TEST(SessionScript, WordsInMessagesAreEscapedAndCut) {
  const std::string error = refusal(std::string("1 \x1b]0;title\x07") + std::string(100000, 'x') + " play\n");
  EXPECT_EQ(error.find('\x1b'), std::string::npos);
  EXPECT_EQ(error.find('\x07'), std::string::npos);
  EXPECT_EQ(error, "s.script:1: unknown verb \"\\e]0;title\\x07" + std::string(64 - 10, 'x') + "\u2026\"");
}

}  // namespace
