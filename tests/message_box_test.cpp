// The message box: button rows and their results, Escape and the close command,
// countdowns, the details area, remembered answers and the layout arithmetic.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QApplication>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "msgbox/message_box_dialog.h"
#include "msgbox/message_box_geometry.h"
#include "msgbox/message_box_texts.h"
#include "msgbox/message_call.h"

namespace rescuva::msgbox {
namespace {

MessageBoxOptions Box(uint32_t style, const std::string& text = "Do you really want to stop?") {
  MessageBoxOptions options = ApplicationMessageLook();
  options.style = style;
  options.message_text = text;
  options.caption = std::string(kApplicationTitle);
  return options;
}

int Answer(MessageBoxDialog& box, Qt::Key key) {
  box.open();
  QTest::keyClick(&box, key);
  return box.isVisible() ? -1 : box.result();
}

TEST(MessageBox, ButtonsKeysAndResults) {
  MessageBoxDialog yes_no(Box(0x24), nullptr);
  ASSERT_TRUE(yes_no.Button(IDYES) && yes_no.Button(IDNO));
  yes_no.open();
  QTest::mouseClick(yes_no.Button(IDYES), Qt::LeftButton);
  EXPECT_EQ(yes_no.result(), IDYES);

  MessageBoxDialog no(Box(0x24), nullptr);
  no.open();
  QTest::mouseClick(no.Button(IDNO), Qt::LeftButton);
  EXPECT_EQ(no.result(), IDNO);

  MessageBoxDialog escape_ignored(Box(0x24), nullptr);
  EXPECT_EQ(Answer(escape_ignored, Qt::Key_Escape), -1);  // a Yes/No box cannot be cancelled
  EXPECT_FALSE(escape_ignored.windowFlags() & Qt::WindowCloseButtonHint);
  escape_ignored.Press(IDNO);

  MessageBoxDialog ok(Box(0x40), nullptr);
  EXPECT_EQ(Answer(ok, Qt::Key_Return), IDOK);  // the default button
  MessageBoxDialog ok_escape(Box(0x30), nullptr);
  EXPECT_EQ(Answer(ok_escape, Qt::Key_Escape), IDCANCEL);
}

TEST(MessageBox, CustomButtonsAndDefaults) {
  auto options = Box(MB_OKCANCEL | 0x300);
  MessageBoxDialog past_the_end(options, nullptr);
  EXPECT_TRUE(past_the_end.Button(IDOK)->isDefault());
  options.custom_buttons = std::string("One\r\n\nThree\nFour\nFive\nSix");
  MessageBoxDialog custom(options, nullptr);
  EXPECT_EQ(custom.Button(23)->text(), "One");
  EXPECT_EQ(custom.Button(26)->text(), "Five");
  EXPECT_FALSE(custom.Button(27));
  EXPECT_FALSE(custom.Cancellable());
}

TEST(MessageBox, TimeoutPressesTheDefaultButton) {
  auto options = Box(MB_OKCANCEL);
  options.timeout = 3;
  MessageBoxDialog box(options, nullptr);
  box.open();
  EXPECT_EQ(box.Button(IDOK)->text(), "OK = 3");
  box.Tick();
  EXPECT_EQ(box.Button(IDOK)->text(), "OK = 2");
  box.Tick();
  box.Tick();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), IDOK);
}

// A box asked for on a worker thread is shown on the user-interface thread, and the
// worker gets its answer.
TEST(MessageBox, AskedFromAnotherThreadItShowsOnTheUserInterfaceThread) {
  InstallMessageBoxDialog();
  MessageBoxOptions options = ApplicationMessageLook();
  options.timeout = 1;
  std::atomic<int> answer{0};
  std::thread worker([&] {
    answer = PPMessageBox(nullptr, std::string("from a worker"), std::string("t"), 0x40, &options);
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return answer != 0; }, 10000));
  worker.join();
  EXPECT_EQ(answer, IDOK);
  SetMessageBoxPresenter(nullptr);
}

// A short message under a long caption: the box is wide enough for the whole title.
TEST(MessageBox, TitlesAreNeverCut) {
  MessageBoxOptions options = ApplicationMessageLook();
  options.caption = std::string("Rescuva for Outlook Express");
  options.message_text = std::string("x");
  options.style = MB_OK;
  MessageBoxDialog box(options, nullptr);
  const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
  EXPECT_GT(box.width(), title.horizontalAdvance("Rescuva for Outlook Express") + 48);
  EXPECT_EQ(box.windowTitle(), "Rescuva for Outlook Express");
}

TEST(MessageBox, DelayOnlyEnablesTheButtons) {
  auto options = Box(MB_OKCANCEL);
  options.timeout = 3;
  options.delay = 5;
  MessageBoxDialog box(options, nullptr);
  box.open();
  EXPECT_EQ(box.Remaining(), 3);  // the timeout wins
  EXPECT_FALSE(box.Button(IDOK)->isEnabled());
  EXPECT_TRUE(box.Button(IDCANCEL)->isEnabled());
  for (int i = 0; i < 3; ++i) box.Tick();
  EXPECT_TRUE(box.isVisible());
  EXPECT_TRUE(box.Button(IDOK)->isEnabled());
  EXPECT_EQ(box.Button(IDOK)->text(), "OK");
  options.countdown_in_caption = 1;
  MessageBoxDialog caption(options, nullptr);
  EXPECT_EQ(caption.windowTitle(), "Rescuva for Outlook Express (3 seconds remaining)");
  EXPECT_FALSE(caption.Button(IDCANCEL)->isEnabled());
  box.Press(IDOK);
}

TEST(MessageBox, DetailsExpandAndCollapse) {
  auto options = Box(MB_OK);
  options.details_text = std::string("Offset 9404, chain of 3 blocks");
  MessageBoxDialog box(options, nullptr);
  const int collapsed = box.height();
  box.Press(IDMORE);
  EXPECT_EQ(box.height(), collapsed + box.Geometry().details_height);
  EXPECT_EQ(box.Button(IDMORE)->text(), "<< More");
  box.Press(IDMORE);
  box.Press(IDMORE);
  box.Press(IDMORE);
  EXPECT_EQ(box.height(), collapsed);
  EXPECT_EQ(box.Button(IDMORE)->text(), "More >>");
}

TEST(MessageBox, RememberedAnswers) {
  auto options = Box(MB_YESNO | PPMB_DONT_SHOW_AGAIN);
  options.remember_prefix = "StopScan";
  options.remember_number = 1;
  MessageBoxDialog box(options, nullptr);
  ASSERT_TRUE(box.CheckBox());
  box.CheckBox()->setChecked(true);
  box.Press(IDNO);
  EXPECT_EQ(ShowMessageBox(options), IDNO);  // answered at once, no window
  options.style |= PPMB_DONT_SHOW_AGAIN_CHECKED;
  options.remember_number = 2;
  MessageBoxDialog checked(options, nullptr);
  EXPECT_TRUE(checked.CheckBox()->isChecked());
  checked.open();
  checked.Press(IDYES);
  EXPECT_EQ(checked.result(), IDYES | 0x2000000);
}

TEST(MessageBox, NoCaptionMeansError) {
  SetMessageBoxPresenter(nullptr);
  auto options = Box(MB_OK);
  options.caption = std::string();
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->windowTitle(), "Error");
    box->done(IDOK);
  });
  EXPECT_EQ(ShowMessageBox(options), IDOK);
}

TEST(MessageBoxGeometry, LayoutArithmetic) {
  MessageBoxMeasures m;
  m.message_text = {200, 40};
  m.button_labels = {{20, 13}, {60, 14}};
  auto g = ComputeMessageBoxGeometry(m);
  EXPECT_EQ(g.width, 11 + 2 * (106 + 11));  // the button row is the widest
  EXPECT_EQ(g.button_width, 106);           // 60 x 80 / 45
  EXPECT_EQ(g.button_height, 24);           // 14 x 23 / 13
  EXPECT_EQ(g.message_height, 68);
  EXPECT_EQ(g.control_height, 24 + 11);
  EXPECT_EQ(g.buttons[0].left, 11);
  EXPECT_EQ(g.buttons[1].left - g.buttons[0].left, 117);
  EXPECT_EQ(g.buttons[0].bottom, g.Height() - 11);
  m.check_box = true;
  m.check_box_label = {300, 13};
  m.button_alignment = 1;
  g = ComputeMessageBoxGeometry(m);
  EXPECT_EQ(g.width, 340);
  EXPECT_EQ(g.buttons[1].right, 340 - 11);
  EXPECT_EQ(g.check_box.bottom, g.Height() - 22 - 24);
  EXPECT_EQ(g.check_box_label.left, 10 + 13 + 6);
  m.check_box_at_bottom = true;
  g = ComputeMessageBoxGeometry(m);
  EXPECT_EQ(g.check_box.bottom, g.Height() - 11);
  EXPECT_EQ(g.buttons[0].bottom, g.Height() - 11 - 24);
  EXPECT_EQ(CentreOn({0, 0, 1000, 800}, 300, 200).left, 350);
}

TEST(MessageBoxTexts, LabelLookup) {
  MessageBoxOptions options;
  EXPECT_EQ(LookupLabel(IDYES, options), "Yes");
  StringTable strings = {{9007, "Ja"}, {42, "Stop?"}};
  options.string_module = &strings;
  EXPECT_EQ(LookupLabel(IDYES, options), "Ja");
  LabelTable labels = {{IDYES, std::string("Sure")}};
  options.label_table = &labels;
  EXPECT_EQ(LookupLabel(IDYES, options), "Sure");
  EXPECT_EQ(ResolveText(uint32_t{42}, options), "Stop?");
  options.style = PPMB_NO_STRING_RESOURCES;
  EXPECT_EQ(ResolveText(uint32_t{42}, options), "");
  EXPECT_EQ(LookupLabel(kLabelCheckBox, options, "Never again"), "Never again");
  EXPECT_EQ(CountdownCaption("%s (%d seconds remaining)", "Box", 4), "Box (4 seconds remaining)");
}

}  // namespace
}  // namespace rescuva::msgbox
