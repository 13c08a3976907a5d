// Recovered text on a terminal: control sequences are shown, never obeyed.
#include <gtest/gtest.h>

#include "cli/scan_rate.h"
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

// A long scan says how far it is, how fast it reads and how long the rest takes; a
// small source or the first second says nothing.
TEST(ScanRate, BytesRateAndTimeLeft) {
  constexpr uint64_t kGiB = uint64_t{1} << 30;
  EXPECT_EQ(ScanRateText(kGiB, 4 * kGiB, 2), "1.0 GiB of 4.0 GiB, 512.0 MiB/s, 6 s left");
  EXPECT_EQ(ScanRateText(kGiB, 500 * kGiB, 10),
            "1.0 GiB of 500.0 GiB, 102.4 MiB/s, 1 h 23 min left");
  EXPECT_EQ(ScanRateText(3 * kGiB, 4 * kGiB, 200),
            "3.0 GiB of 4.0 GiB, 15.4 MiB/s, 1 min 07 s left");
  EXPECT_EQ(ScanRateText(1 << 20, 32 << 20, 5), "");
  EXPECT_EQ(ScanRateText(kGiB, 4 * kGiB, 0.5), "");
  EXPECT_EQ(ScanRateText(0, 4 * kGiB, 3), "");
  EXPECT_EQ(SizeText(512), "512 B");
  EXPECT_EQ(SizeText(1536), "1.5 KiB");
}

}  // namespace
}  // namespace rescuva::cli
