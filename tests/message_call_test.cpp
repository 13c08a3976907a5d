// The message call: defaults, the caller's record left alone, button sets and their
// result codes, default buttons and cancellability.
#include <gtest/gtest.h>

#include "msgbox/button_sets.h"
#include "msgbox/message_call.h"

namespace rescuva::msgbox {
namespace {

TEST(MessageCall, CopiesTheRecordAndFillsTheArguments) {
  MessageBoxOptions seen;
  SetMessageBoxPresenter([&](const MessageBoxOptions& o) {
    seen = o;
    return IDYES;
  });
  MessageBoxOptions mine = ApplicationMessageLook();
  mine.timeout = 5;
  EXPECT_EQ(PPMessageBox(nullptr, std::string("Stop?"), std::string("T"), 0x24, &mine), IDYES);
  EXPECT_EQ(std::get<std::string>(seen.message_text), "Stop?");
  EXPECT_EQ(seen.style, 0x24u);
  EXPECT_EQ(seen.timeout, 5);
  EXPECT_EQ(seen.body_area.colour1, 0xFCE7D8u);
  EXPECT_EQ(seen.body_area.colour2, 0xFFFFFFu);
  EXPECT_TRUE(
      std::get<std::string>(mine.message_text).empty());  // the caller's record is unchanged
  PPMessageBox(nullptr, std::string("x"), std::string("T"), 0x40, nullptr);
  EXPECT_EQ(seen.body_area.background_effect, -1);
  EXPECT_EQ(seen.button_alignment, 2);
  EXPECT_EQ(seen.body_area.colour1, kColourButtonFace);
  SetMessageBoxPresenter(nullptr);
  // without a presenter the box answers with its default button
  EXPECT_EQ(ShowApplicationMessage("Question", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(PPMessageBox(nullptr, std::string("q"), std::string("T"), MB_YESNO | 0x100, nullptr),
            IDNO);
}

TEST(ButtonSets, CodesInOrder) {
  MessageBoxOptions o;
  auto codes = [&](uint32_t style) {
    o.style = style;
    return ButtonsFor(o);
  };
  EXPECT_EQ(codes(MB_OK), std::vector<int>{IDOK});
  EXPECT_EQ(codes(MB_ABORTRETRYIGNORE), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(codes(MB_YESNOCANCEL | PPMB_ADD_YES_TO_ALL | PPMB_ADD_NO_TO_ALL),
            (std::vector<int>{6, 19, 7, 20, 2}));
  EXPECT_EQ(codes(MB_YESNO | PPMB_ADD_NO_TO_ALL), (std::vector<int>{6, 7, 20}));
  EXPECT_EQ(codes(MB_CANCELTRYCONTINUE), (std::vector<int>{2, 4, 11}));
  EXPECT_EQ(codes(PPMB_SKIPSKIPALLCANCEL), (std::vector<int>{14, 15, 2}));
  EXPECT_EQ(codes(PPMB_IGNOREIGNOREALLCANCEL | MB_HELP), (std::vector<int>{5, 16, 2, 9}));
  o.details_text = std::string("more");
  o.report_message = 0x400;
  EXPECT_EQ(codes(MB_OK), (std::vector<int>{1, 31}));  // Report needs an owner too
  int owner = 0;
  o.owner = &owner;
  EXPECT_EQ(codes(MB_OK | MB_HELP), (std::vector<int>{1, 9, 21, 31}));
}

TEST(ButtonSets, CustomButtonsReplaceTheSetAndCannotBeCancelled) {
  MessageBoxOptions o;
  o.style = MB_OKCANCEL;
  EXPECT_TRUE(IsCancellable(o));
  o.custom_buttons = std::string("one\r\n\nthree\nfour\nfive\nsix");
  EXPECT_EQ(CustomButtonLabels("one\r\n\nthree\nfour\nfive\nsix"),
            (std::vector<std::string>{"one", "three", "four", "five"}));
  EXPECT_EQ(ButtonsFor(o), (std::vector<int>{23, 24, 25, 26}));
  EXPECT_FALSE(IsCancellable(o));
  for (uint32_t set : {MB_ABORTRETRYIGNORE, MB_YESNO, PPMB_CONTINUEABORT}) {
    EXPECT_FALSE(IsCancellable(MessageBoxOptions{.style = set}));
  }
  EXPECT_EQ(DefaultButtonIndex(0x100, 2), 1u);
  EXPECT_EQ(DefaultButtonIndex(0x300, 2), 0u);
}

}  // namespace
}  // namespace rescuva::msgbox
