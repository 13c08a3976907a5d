// The markup drawer: tokens and entities, style tags, lines and wrapping, links and
// tables, measured and drawn on a surface with fixed-width letters.
#include <gtest/gtest.h>

#include "msgbox/markup_drawer.h"
#include "msgbox/markup_text.h"
#include "msgbox/message_call.h"
#include "tests/fake_markup_surface.h"

namespace rescuva::msgbox {
namespace {

ColourRef System(int) {
  return 0x808080;
}

class MarkupTest : public ::testing::Test {
 protected:
  MarkupTest() : drawer_(System) {}
  // Measures, then draws at (0, 0) in the measured size; returns the size.
  MarkupSize Render(const std::string& text, int width = 0) {
    const MarkupSize size = drawer_.Measure(surface_, text);
    drawer_.Draw(surface_, {0, 0, width > 0 ? width : size.width, size.height});
    return size;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& t : surface_.texts) texts.push_back(t.text);
    return texts;
  }
  MarkupDrawer drawer_;
  testing::FakeMarkupSurface surface_;
};

TEST(MarkupText, TokensEntitiesAndAttributes) {
  EXPECT_EQ(PreprocessMarkup("a&lt;b&gt;&amp;lt;\r\nc\td", true), "a<<b><<<br>c<t>d");
  const std::string text = "x<<y<font face='Times New' size=3 color=red>z</font><broken";
  size_t at = 0;
  auto run = NextToken(text, at);
  EXPECT_EQ(run->text, "x<y");
  auto tag = NextToken(text, at);
  EXPECT_TRUE(tag->is_tag);
  EXPECT_EQ(tag->name, "font");
  auto attributes = ParseAttributes(tag->rest);
  EXPECT_EQ(attributes["face"], "Times New");
  EXPECT_EQ(attributes["size"], "3");
  EXPECT_EQ(attributes["color"], "red");
  EXPECT_EQ(NextToken(text, at)->text, "z");
  EXPECT_EQ(NextToken(text, at)->name, "/font");
  auto broken = NextToken(text, at);
  EXPECT_TRUE(broken->is_tag && broken->name.empty());
  EXPECT_FALSE(NextToken(text, at));
  const std::string nested = "<table><tr><td><table></table></td></tr></table>tail";
  EXPECT_EQ(FindMatchingEnd(nested, "table", 0), nested.size() - 4);
  EXPECT_EQ(FindTag("<<table <table", "table", 0), 8u);
}

TEST_F(MarkupTest, EscapedTagsAreDrawnLiterally) {
  Render("&lt;b&gt;bold?&lt;/b&gt; a<<b");
  ASSERT_EQ(Texts(), std::vector<std::string>{"<b>bold?</b> a<b"});
  EXPECT_EQ(surface_.texts[0].style.font_weight, 400);
}

TEST_F(MarkupTest, NestedBoldAndStrayClosingTags) {
  Render("<b>x<b>y</b>z</b>w<i>a</b>b</i>c");
  std::vector<int> weights;
  std::vector<bool> italics;
  for (const auto& t : surface_.texts) {
    weights.push_back(t.style.font_weight);
    italics.push_back(t.style.italic);
  }
  EXPECT_EQ(Texts(), (std::vector<std::string>{"x", "y", "z", "w", "a", "b", "c"}));
  EXPECT_EQ(weights, (std::vector<int>{800, 900, 800, 400, 400, 400, 400}));
  EXPECT_EQ(italics, (std::vector<bool>{false, false, false, false, true, true, false}));
}

TEST_F(MarkupTest, LineFeedsBreaksAndTabs) {
  const MarkupSize size = Render("ab\ncd<br 2>e<t>f");
  ASSERT_EQ(drawer_.Lines().size(), 3u);
  const int line = drawer_.Lines()[0].ascent + drawer_.Lines()[0].descent;
  EXPECT_EQ(surface_.texts[1].y - surface_.texts[0].y, line);
  EXPECT_EQ(surface_.texts[2].y - surface_.texts[1].y, 2 * line);
  EXPECT_EQ(surface_.texts[3].x, 32);  // the next tab stop
  EXPECT_EQ(size.height, 4 * line + 1);
}

TEST_F(MarkupTest, WrappingOnlyWithAMaximumWidth) {
  const std::string text = "the quick brown fox jumps";
  EXPECT_EQ(Render(text).width, 7 * 25 + 1);
  EXPECT_EQ(drawer_.Lines().size(), 1u);
  drawer_.SetMaxWidth(7 * 11);
  surface_.texts.clear();
  Render(text);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"the quick", "brown fox", "jumps"}));
  surface_.texts.clear();
  Render("abcdefghijklmnopqrstuvwxyz");  // no break character: cut where it stops fitting
  EXPECT_EQ(Texts(), (std::vector<std::string>{"abcdefghijk", "lmnopqrstuv", "wxyz"}));
}

TEST_F(MarkupTest, AlignmentAndJustification) {
  Render("<center>ab</center>", 100);
  EXPECT_EQ(surface_.texts[0].x, (100 - 14) / 2);
  surface_.texts.clear();
  drawer_.SetMaxWidth(70);
  Render("<justify>aa bb cc dd ee</justify>", 70);
  // "aa bb cc" (56 px) wraps and spreads 14 px over its 2 spaces
  EXPECT_EQ(surface_.texts[0].text, "aa bb cc");
  EXPECT_EQ(surface_.texts[0].extra, 14);
  EXPECT_EQ(surface_.texts[1].extra, 0);  // the last line is not justified
}

TEST_F(MarkupTest, LinksHoverAndClick) {
  std::vector<int> hovers;
  std::string opened;
  drawer_.Attach([&](int link) { hovers.push_back(link); });
  drawer_.SetLinkActions([&](const std::string& t) { opened = t; }, nullptr);
  Render("go <a href=\"https://example.org\">there</a> now");
  ASSERT_EQ(drawer_.Links().size(), 1u);
  const MarkupRect link = drawer_.Links()[0].rect;
  EXPECT_FALSE(surface_.texts[1].style.underline);
  EXPECT_TRUE(drawer_.HitTest(link.left + 1, link.top + 1));
  EXPECT_FALSE(drawer_.HitTest(0, 0));
  EXPECT_EQ(hovers, (std::vector<int>{1, MarkupDrawer::kNoLink}));
  drawer_.HitTest(link.left + 1, link.top + 1);
  surface_.texts.clear();
  drawer_.Draw(surface_, {0, 0, 300, 50});
  EXPECT_TRUE(surface_.texts[1].style.underline);  // the hover style
  EXPECT_EQ(surface_.texts[1].style.text_colour, 0xFF0000u);
  drawer_.Click(link.left + 1, link.top + 1);
  EXPECT_EQ(opened, "https://example.org");
}

// Recovered text put into a message's markup stays text: no link, no picture, no style.
TEST_F(MarkupTest, EscapedTextIsDrawnAsItStands) {
  const std::string subject = "<a href=\"https://evil.example\">win</a> <img src=x> <b>&lt;i>";
  Render("Not saved: \"" + EscapeMarkup(subject) + "\"");
  EXPECT_TRUE(drawer_.Links().empty());
  std::string drawn;
  for (const auto& text : Texts()) drawn += text;
  EXPECT_NE(drawn.find("<a href=\"https://evil.example\">win</a>"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("<img src=x> <b><i>"), std::string::npos) << drawn;
  for (const auto& t : surface_.texts) EXPECT_EQ(t.style.font_weight, 400);
  EXPECT_TRUE(IsOwnAddress(kHomePage));
  EXPECT_FALSE(IsOwnAddress("https://evil.example/"));
}

TEST_F(MarkupTest, StringsLineFeedModeAndDisabledDrawing) {
  drawer_.SetStrings({{42, "from the table"}});
  drawer_.SetLineFeeds(false);
  Render("a\nb <string idres=42>");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"ab ", "from the table"}));
  surface_.texts.clear();
  drawer_.SetEnabled(false);
  Render("<font color=red bkgnd=yellow>grey</font>");
  EXPECT_EQ(surface_.texts[0].style.text_colour, System(16));
  EXPECT_EQ(surface_.texts[0].style.background_mode, BackgroundMode::kTransparent);
}

TEST_F(MarkupTest, EmptyTextsAndRules) {
  EXPECT_EQ(drawer_.Measure(surface_, "").width, 0);
  Render("a<hr width=50%>b");
  ASSERT_EQ(surface_.lines.size(), 1u);
  EXPECT_EQ(drawer_.Lines()[0].percentage, 50);
}

TEST_F(MarkupTest, IconTableGivesTheTextColumnTheRest) {
  const std::string text =
      "<table cellpadding=5><tr><td width=32><icon "
      "handle=0x1234></td><td>Message</td></tr></table>";
  drawer_.Measure(surface_, text);
  ASSERT_EQ(drawer_.Tables().size(), 1u);
  const auto& table = drawer_.Tables()[0];
  EXPECT_EQ(table.column_widths[0], 32 + 2 * 5);
  EXPECT_TRUE(table.fixed[0]);
  EXPECT_FALSE(table.fixed[1]);
  drawer_.Draw(surface_, {0, 0, 400, 100});
  const auto& drawn = drawer_.Tables()[0];
  EXPECT_EQ(drawn.column_widths[0], 42);
  EXPECT_EQ(drawn.column_widths[0] + drawn.column_widths[1] + 1, 400);  // the rest of the width
  ASSERT_EQ(surface_.images.size(), 1u);
  EXPECT_EQ(surface_.images[0].left, 5);
}

TEST_F(MarkupTest, SpanningCellsShareTheShortfall) {
  for (auto [width, first, second] : {std::tuple{90, 45, 55}, {91, 46, 55}}) {
    drawer_.Measure(surface_,
                    "<table cellpadding=5><tr><td width=20></td><td width=30></td></tr>"
                    "<tr><td colspan=2 width=" +
                        std::to_string(width) + "></td></tr></table>");
    const auto& table = drawer_.Tables()[0];
    EXPECT_EQ(table.column_widths, (std::vector<int>{first, second}));
  }
}

TEST_F(MarkupTest, FixedTablesAreAlignedNotStretched) {
  drawer_.Measure(surface_, "<table align=center><tr><td width=40>x</td></tr></table>");
  const int width = drawer_.Tables()[0].column_widths[0];
  surface_.fills.clear();
  drawer_.Draw(surface_, {0, 0, 200, 50});
  EXPECT_EQ(drawer_.Tables()[0].column_widths[0], width);
  ASSERT_FALSE(surface_.texts.empty());
  EXPECT_GT(surface_.texts.back().x, 70);
}

}  // namespace
}  // namespace rescuva::msgbox
