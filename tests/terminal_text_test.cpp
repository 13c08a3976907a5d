// Recovered text on a terminal: control sequences are shown, never obeyed.
#include <gtest/gtest.h>

#include "cli/terminal_text.h"

namespace rescuva::cli {
namespace {

TEST(TerminalText, ControlCharactersAreEscaped) {
  EXPECT_EQ(EscapeControls("plain Grüße, 日本"), "plain Grüße, 日本");
  EXPECT_EQ(EscapeControls("\x1b[31mred\x1b[0m"), "\\x1b[31mred\\x1b[0m");
  EXPECT_EQ(EscapeControls("a\tb\r\nc\x7f"), "a\\x09b\\x0d\\x0ac\\x7f");
  // C1 controls in UTF-8 (a CSI), and bytes that are not UTF-8 at all
  EXPECT_EQ(EscapeControls("x\xc2\x9b"
                           "2J"),
            "x\\xc2\\x9b2J");
  EXPECT_EQ(EscapeControls("\x9b\xff"), "\\x9b\\xff");
  EXPECT_EQ(EscapeControls("cut \xe2\x82"), "cut \\xe2\\x82");
}

}  // namespace
}  // namespace rescuva::cli
