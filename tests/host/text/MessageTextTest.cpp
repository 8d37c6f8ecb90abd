// Text from outside the program made safe to print: control characters, invalid bytes and C1
// controls escaped, UTF-8 kept whole even where the text is cut, paths quoted.
#include <gtest/gtest.h>

#include <string>

#include "host/text/MessageText.h"

namespace {

TEST(MessageText, ControlsInvalidBytesAndC1ControlsAreEscapedAndUtf8Kept) {
  EXPECT_EQ(host::printable(std::string("a\0b\tc\n\x7f", 7)), "a\\x00b\\tc\\n\\x7f");
  EXPECT_EQ(host::printable("caf\xC3\xA9 \xE2\x80\x94 \xC2\x9B" "31m \xFF \xC0\xAF \\"),
            "caf\xC3\xA9 \xE2\x80\x94 \\xc2\\x9b31m \\xff \\xc0\\xaf \\\\");
  EXPECT_EQ(host::printable("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9\u2026");
  EXPECT_EQ(host::printable("abc", 3), "abc");
  EXPECT_EQ(host::quotedPath("/tmp/nonexist\x1b]0;title\x07.wav"), "\"/tmp/nonexist\\e]0;title\\x07.wav\"");
}

}  // namespace
