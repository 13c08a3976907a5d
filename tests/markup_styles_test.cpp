// The markup's value rules, style sheet and colour names.
#include <gtest/gtest.h>

#include "msgbox/colour_table.h"
#include "msgbox/style_sheet.h"
#include "msgbox/style_values.h"

namespace rescuva::msgbox {
namespace {

ColourRef SystemColour(int index) {
  return 0x010101u * static_cast<ColourRef>(index);
}

class StylesTest : public ::testing::Test {
 protected:
  StylesTest() : colours_(SystemColour) { context_.colours = &colours_; }
  StyleRecord Apply(const std::string& declarations, StyleRecord style = {}) {
    StyleSheet::ApplyDeclarations(declarations, style, context_);
    return style;
  }
  ColourTable colours_;
  ValueContext context_;
};

TEST_F(StylesTest, ColourNames) {
  EXPECT_EQ(colours_.Size(), 140u + 28u);
  EXPECT_EQ(colours_.Find("brown"), 0x2A2AA5u);
  EXPECT_EQ(colours_.Find("gold"), 0x00D7FFu);
  EXPECT_EQ(colours_.Find("orange"), 0x00A5FFu);
  EXPECT_EQ(colours_.Find("navy"), 0x800000u);
  EXPECT_EQ(colours_.Find("darkseagreen"), 0x8BBC8Fu);
  EXPECT_EQ(colours_.Find("lightgrey"), 0xD3D3D3u);
  for (const char* absent : {"grey", "darkgrey", "dimgrey", "slategrey", "darkslategrey",
                             "lightslategrey", "lightgray", "Red"}) {
    EXPECT_FALSE(colours_.Find(absent)) << absent;
  }
  EXPECT_EQ(colours_.Find("buttonface"), SystemColour(15));
  EXPECT_EQ(colours_.Find("threedlightshadow"), SystemColour(22));
}

TEST_F(StylesTest, ColourValues) {
  EXPECT_EQ(ParseColour("#ff9900", 7, context_), 0x0099FFu);
  EXPECT_EQ(ParseColour("#f90", 7, context_), 7u);
  EXPECT_EQ(ParseColour("#ff99zz", 7, context_), 7u);
  EXPECT_EQ(ParseColour("0xFF0000", 7, context_), 0xFF0000u);  // blue
  EXPECT_EQ(ParseColour("255", 7, context_), 0xFFu);           // red
  EXPECT_EQ(ParseColour("", 7, context_), 7u);
  EXPECT_EQ(ParseColour("nosuchcolour", 7, context_), 7u);
  EXPECT_EQ(ParseColour("Navy", 7, context_), 7u);  // attribute values keep their case
  context_.enabled = false;
  EXPECT_EQ(ParseColour("red", 7, context_), context_.disabled_colour);
}

TEST_F(StylesTest, LengthValues) {
  EXPECT_EQ(ParseLength("65%", 13, true, context_), 8);
  EXPECT_EQ(ParseLength("3", 20, true, context_), 12);
  EXPECT_EQ(ParseLength("9", 20, true, context_), 9);
  EXPECT_EQ(ParseLength("+2", 20, true, context_), 10);
  EXPECT_EQ(ParseLength("2", 20, false, context_), 2);
  EXPECT_EQ(ParseLength("10pt", 0, true, context_), 13);
  EXPECT_EQ(ParseLength("12px", 0, false, context_), 12);
  EXPECT_EQ(ParseLength("2em", 0, false, context_), 32);
  EXPECT_EQ(ParseLength("2ex", 0, false, context_), 16);
  EXPECT_EQ(ParseLength("1in", 0, false, context_), 96);
  EXPECT_EQ(ParseLength("1cm", 0, false, context_), 37);
  EXPECT_EQ(ParseLength("10mm", 0, false, context_), 37);
  EXPECT_EQ(ParseLength("1pc", 0, false, context_), 16);
  EXPECT_EQ(ParseLength("0x10", 0, false, context_), 16);
  EXPECT_EQ(ParseLength("010", 0, false, context_), 8);
  EXPECT_EQ(ParseLength("wide", 5, false, context_), 5);
  EXPECT_EQ(ParseLength("", 5, false, context_), 5);
}

TEST_F(StylesTest, Declarations) {
  auto s = Apply("FONT-FAMILY: \"Courier New\"; color: Navy; font-weight: bolder");
  EXPECT_EQ(s.font_face, "courier new");
  EXPECT_EQ(s.text_colour, 0x800000u);
  EXPECT_EQ(s.font_weight, 900);
  EXPECT_EQ(Apply("font-family: Courier New").font_face, "courier");
  EXPECT_EQ(Apply("font-weight: 600").font_weight, 600);
  EXPECT_EQ(Apply("font-weight").font_weight, 400);

  auto decorated = Apply("text-decoration:underline,overline");
  EXPECT_TRUE(decorated.underline && decorated.overline && !decorated.strike_out);
  auto cleared = Apply("text-decoration:", decorated);
  EXPECT_FALSE(cleared.underline || cleared.overline || cleared.strike_out);

  StyleRecord bordered;
  bordered.border_width = 4;
  bordered.border_style = kBorderSolid;
  EXPECT_EQ(Apply("border-width: thick", bordered).border_width, 5);
  EXPECT_EQ(Apply("border-width: thin", bordered).border_width, 3);
  EXPECT_EQ(Apply("border-width: 0", bordered).border_style, kBorderNone);
  EXPECT_EQ(Apply("size: 2").border_style, kBorderSolid);
  EXPECT_EQ(Apply("border-style: dotted").border_width, 1);

  auto opaque = Apply("background-color: #fbedbb");
  EXPECT_EQ(opaque.background_mode, BackgroundMode::kOpaque);
  EXPECT_EQ(opaque.background_colour, 0xBBEDFBu);
  EXPECT_EQ(Apply("background-color: transparent", opaque).background_mode,
            BackgroundMode::kTransparent);
  auto cell = Apply("margin: 7px; padding: 3px; text-align: center; vertical-align: vcenter");
  EXPECT_EQ(cell.cell_padding, 7);
  EXPECT_EQ(cell.cell_spacing, 3);
  EXPECT_EQ(cell.horizontal_alignment, HorizontalAlignment::kCentre);
  EXPECT_EQ(cell.vertical_alignment, VerticalAlignment::kMiddle);
  EXPECT_EQ(Apply("text-align: justify", cell).horizontal_alignment, HorizontalAlignment::kCentre);
}

TEST_F(StylesTest, StyleSheetRules) {
  StyleSheet sheet;
  StyleRecord h2;
  sheet.ApplyRule("H2", h2, context_);
  EXPECT_EQ(h2.text_colour, 0x0099FFu);
  EXPECT_EQ(h2.font_weight, 700);
  EXPECT_EQ(h2.font_height, 17);  // 13pt at 96 pixels per inch
  StyleRecord pre;
  sheet.ApplyRule("pre", pre, context_);
  EXPECT_EQ(pre.font_face, "courier");
  StyleRecord comment;
  sheet.ApplyRule(".cpp-comment", comment, context_);
  EXPECT_TRUE(comment.italic);
  EXPECT_EQ(comment.text_colour, 0x008000u);

  sheet.SetText("a {color:red}\nb{color:blue}\na {color:green}\nbroken {color:red");
  StyleRecord a;
  sheet.ApplyRule("a", a, context_);
  EXPECT_EQ(a.text_colour, 0x008000u);
  EXPECT_EQ(sheet.Declarations("b"), "color:blue");
  EXPECT_FALSE(sheet.Declarations("broken"));
  StyleRecord untouched;
  sheet.ApplyRule("h1", untouched, context_);
  EXPECT_EQ(untouched.font_weight, 400);
  sheet.SetText("");
  EXPECT_FALSE(sheet.Declarations("a"));
  sheet.SetText(std::nullopt);
  EXPECT_TRUE(sheet.Declarations("a:hover"));
}

}  // namespace
}  // namespace rescuva::msgbox
