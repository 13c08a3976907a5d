// The colour picker: the pop-up's keyboard moves and initial entry, and the
// notifications the parent receives while a colour is picked or the pick cancelled.
#include <gtest/gtest.h>

#include <QTest>

#include "controls/colour_picker.h"
#include "controls/colour_popup_model.h"

namespace rescuva::controls {
namespace {

TEST(ColourPopupModel, InitialEntry) {
  EXPECT_EQ(ColourPopupModel(0x0000FF, true, true).InitialIndex(), 16);  // "Red"
  EXPECT_EQ(ColourPopupModel(kAutomaticColour, true, true).InitialIndex(), kSelectAutomatic);
  EXPECT_EQ(ColourPopupModel(0x123456, true, true).InitialIndex(), kSelectMore);
  EXPECT_EQ(ColourPopupModel(0x123456, true, false).InitialIndex(), kSelectNone);
  EXPECT_STREQ(kPopupColours[35].name, "Pale green ");
}

TEST(ColourPopupModel, KeyboardMoves) {
  ColourPopupModel both(kPopupColours[7].colour, true, true);
  both.MoveRight();
  EXPECT_EQ(both.Selection(), 8);  // from a row's last box to the next row
  both.Select(39);
  both.MoveRight();
  EXPECT_EQ(both.Selection(), kSelectMore);
  both.MoveRight();
  EXPECT_EQ(both.Selection(), kSelectAutomatic);
  both.MoveRight();
  EXPECT_EQ(both.Selection(), 0);
  both.MoveLeft();
  EXPECT_EQ(both.Selection(), kSelectAutomatic);
  both.MoveLeft();
  EXPECT_EQ(both.Selection(), kSelectMore);
  both.MoveLeft();
  EXPECT_EQ(both.Selection(), 39);
  both.MoveUp();
  EXPECT_EQ(both.Selection(), 31);
  both.Select(3);
  both.MoveUp();
  EXPECT_EQ(both.Selection(), kSelectAutomatic);
  both.MoveDown();
  EXPECT_EQ(both.Selection(), 0);
  both.Select(36);
  both.MoveDown();
  EXPECT_EQ(both.Selection(), kSelectMore);
  both.MoveDown();
  EXPECT_EQ(both.Selection(), kSelectAutomatic);

  ColourPopupModel plain(0x000000, false, false);
  plain.MoveLeft();
  EXPECT_EQ(plain.Selection(), 39);  // no entries: round to the last colour
  plain.MoveRight();
  EXPECT_EQ(plain.Selection(), 0);
  plain.MoveUp();
  EXPECT_EQ(plain.Selection(), 39);
  EXPECT_EQ(plain.ColourOf(kSelectAutomatic), kAutomaticColour);
}

struct Notice {
  int message;
  ColourRef colour;
  bool operator==(const Notice&) const = default;
};

TEST(ColourPicker, EscapeRestoresTheInitialColour) {
  CColourPicker picker;
  picker.SetColour(0x0000FF);
  std::vector<Notice> notices;
  picker.SetNotify([&](int message, ColourRef colour) { notices.push_back({message, colour}); });
  picker.DropDown();
  ASSERT_TRUE(picker.Dropped());
  ColourPopup* popup = picker.Popup();
  QTest::keyClick(popup, Qt::Key_Right);
  QTest::keyClick(popup, Qt::Key_Right);
  QTest::keyClick(popup, Qt::Key_Escape);
  EXPECT_FALSE(picker.Dropped());
  EXPECT_EQ(picker.Colour(), 0x0000FFu);
  EXPECT_EQ(notices, (std::vector<Notice>{{kColourDropDown, 0x0000FF},
                                          {kColourSelChange, kPopupColours[17].colour},
                                          {kColourSelChange, kPopupColours[18].colour},
                                          {kColourCloseUp, 0x0000FF},
                                          {kColourSelCancel, 0x0000FF}}));
}

TEST(ColourPicker, EnterTakesTheColourAndTrackingFollowsTheHighlight) {
  CColourPicker picker;
  picker.SetMode(CColourPicker::Mode::kText);
  picker.SetColour(0x000000);
  picker.SetTrackSelection(true);
  std::vector<Notice> notices;
  picker.SetNotify([&](int message, ColourRef colour) { notices.push_back({message, colour}); });
  picker.DropDown();
  QTest::keyClick(picker.Popup(), Qt::Key_Down);
  EXPECT_EQ(picker.Colour(), kPopupColours[8].colour);  // tracked while open
  QTest::keyClick(picker.Popup(), Qt::Key_Return);
  EXPECT_EQ(picker.Colour(), kPopupColours[8].colour);
  EXPECT_EQ(notices.back(), (Notice{kColourSelEnd, kPopupColours[8].colour}));
  EXPECT_EQ(notices[notices.size() - 2].message, kColourCloseUp);
  EXPECT_GE(picker.minimumSizeHint().width(), 2 * (2 + 10));
}

TEST(ColourPicker, PopupLayout) {
  CColourPicker picker;
  picker.DropDown();
  ColourPopup* popup = picker.Popup();
  const QRect automatic = popup->BoxRect(kSelectAutomatic);
  EXPECT_EQ(popup->BoxRect(0).top(), 2 + automatic.height() + 2);
  EXPECT_EQ(popup->BoxRect(9).left() - popup->BoxRect(0).left(), 18);
  EXPECT_EQ(popup->BoxRect(9).top() - popup->BoxRect(0).top(), 18);
  popup->End(false);
}

}  // namespace
}  // namespace rescuva::controls
