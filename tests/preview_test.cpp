// Previews of a scanned sample through the window: header values, the attachment strip
// in reverse order, text and HTML bodies with their numbered copies, a click below the
// last row, key releases; and the header pane's layout.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <filesystem>

#include "app/main_frame.h"
#include "msgbox/message_call.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::app {
namespace {

class PreviewTest : public ::testing::Test {
 protected:
  PreviewTest()
      : frame_({[](const QString&) { return true; },
                [] {},
                {},
                {},
                [this](const QString& name) {
                  offered_name_ = name;
                  return file_answer_;
                },
                [this] { return folder_answer_; }}) {
    msgbox::SetMessageBoxPresenter([](const msgbox::MessageBoxOptions&) { return msgbox::IDOK; });
    frame_.resize(1200, 900);
    frame_.show();
    frame_.ScanPage().PathBox().setText(QString::fromStdString(testing::CopyOfSample(dir_.Path())));
    frame_.Run(kRepair);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame_.ScanPage().Scanning(); }, 60000));
    QTest::qWait(150);
  }
  ~PreviewTest() override { msgbox::SetMessageBoxPresenter(nullptr); }

  // Clicks the row whose subject is given; its index.
  int ClickSubject(const QString& subject) {
    views::CMailListCtrl& list = frame_.ItemList().List();
    for (int row = 0; row < list.Model().rowCount(); ++row) {
      if (list.Model().CellText(row, 4) == subject) {
        list.scrollTo(list.Model().index(row, 4));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(list.Model().index(row, 4)).center());
        return row;
      }
    }
    ADD_FAILURE() << subject.toStdString();
    return -1;
  }
  void Snapshot(const char* name) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame_.Browser().Idle(); }, 20000));
    QTest::qWait(500);
    if (const char* folder = std::getenv("RESCUVA_SCREENSHOTS")) {
      frame_.grab().save(QString("%1/%2").arg(folder, name));
    }
  }

  testing::TempDir dir_;
  QString offered_name_;   // what "Save attachment as..." offered
  QString file_answer_;    // and what the user answers
  QString folder_answer_;  // the folder of "Save all attachments..."
  CMainFrame frame_;
};

TEST_F(PreviewTest, TextAndHtmlBodies) {
  ClickSubject("Minutes of the garden club");
  EXPECT_EQ(frame_.HeaderPane().From(), "Ada Lindqvist <ada@example.org>");
  EXPECT_EQ(frame_.HeaderPane().Subject(), "Minutes of the garden club");
  EXPECT_TRUE(frame_.TextView().Text().startsWith("Paragraph 1:"));
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kTextRow), 3000);
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kBrowserRow), 0);
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kAttachmentRow), 0);
  Snapshot("preview-text.png");

  const int serial = PreviewGenerator::PreviewSerial();
  const QString folder = QString::fromStdString(frame_.ScanPage().Engine()->TempFolder());
  ClickSubject("Photo of the new greenhouse");
  EXPECT_EQ(frame_.Browser().File(), folder + QString::number(serial) + "dddd.mhtml");
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kBrowserRow), 3000);
  ClickSubject("Photo of the new greenhouse");
  EXPECT_EQ(frame_.Browser().File(), folder + QString::number(serial + 1) + "dddd.mhtml");
  EXPECT_FALSE(QFileInfo::exists(folder + QString::number(serial) + "dddd.mhtml"));
  EXPECT_TRUE(QFileInfo::exists(frame_.Browser().File()));
  Snapshot("preview-html.png");
  ClickSubject("Minutes of the garden club");  // text again: the copies stay as they are
  EXPECT_EQ(PreviewGenerator::PreviewSerial(), serial + 2);
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kBrowserRow), 0);
}

// The long letter's chain breaks off: its row and its header say so, its columns keep
// their texts, and a whole message's header says nothing.
TEST_F(PreviewTest, ACutMessageSaysSoInItsRowAndHeader) {
  const int row = ClickSubject("Long letter (its chain breaks off)");
  const views::MessageListModel& model = frame_.ItemList().List().Model();
  const QModelIndex status = model.index(row, views::MessageListModel::kStatusColumn);
  EXPECT_EQ(model.CellText(row, views::MessageListModel::kStatusColumn), "Existing");
  EXPECT_FALSE(model.data(status, Qt::DecorationRole).isNull());
  EXPECT_TRUE(model.data(status, Qt::FontRole).value<QFont>().italic());
  const QString why =
      "Cut: its next block would lie past the end of the source (the last "
      "block read lies at 12572)";
  EXPECT_EQ(model.data(model.index(row, 4), Qt::ToolTipRole).toString(), why);
  EXPECT_EQ(frame_.HeaderPane().Notice(), why);
  EXPECT_GT(frame_.HeaderPane().NoticeRect().width(), 300);
  EXPECT_EQ(frame_.HeaderPane().Subject(), "Long letter (its chain breaks off)");
  Snapshot("preview-cut.png");
  const int whole = ClickSubject("Minutes of the garden club");
  EXPECT_TRUE(frame_.HeaderPane().Notice().isEmpty());
  EXPECT_TRUE(model.data(model.index(whole, 6), Qt::DecorationRole).isNull());
  EXPECT_TRUE(model.data(model.index(whole, 4), Qt::ToolTipRole).isNull());
}

TEST_F(PreviewTest, AttachmentsInReverseOrder) {
  ClickSubject("Seed order and invoice");
  EXPECT_EQ(frame_.AttachmentStrip().Names(),
            (QStringList{"Saatgut für März.csv", "invoice-2004-02.pdf"}));
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kAttachmentRow), 35);

  // a left click saves nothing; a right click offers the attachment under it, or all
  views::CAttachView1& strip = frame_.AttachmentStrip();
  QListWidget& names = strip.List();
  const QPoint csv = names.visualItemRect(names.item(0)).center();
  QTest::mouseClick(names.viewport(), Qt::LeftButton, {}, csv);
  EXPECT_TRUE(offered_name_.isEmpty());
  auto menu = strip.MenuAt(csv);
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "Save attachment as...");
  EXPECT_EQ(menu->actions()[1]->text(), "Save all attachments...");
  file_answer_ = QString::fromStdString(dir_.Path() + "/chosen.csv");
  menu->actions()[0]->trigger();
  EXPECT_EQ(offered_name_, "Saatgut für März.csv");
  const std::string all = dir_.Path() + "/all";
  std::filesystem::create_directory(all);
  folder_answer_ = QString::fromStdString(all);
  menu = strip.MenuAt({-5, -5});  // beside the names: only all of them
  EXPECT_FALSE(menu->actions()[0]->isEnabled());
  menu->actions()[1]->trigger();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(all), {}), 2);
  EXPECT_EQ(testing::ReadFileBytes(dir_.Path() + "/chosen.csv"),
            testing::ReadFileBytes(all + "/Saatgut für März.csv"));
  EXPECT_FALSE(testing::ReadFileBytes(all + "/invoice-2004-02.pdf").empty());

  ClickSubject("Photo of the new greenhouse");  // an inline picture is no attachment
  EXPECT_TRUE(frame_.AttachmentStrip().Names().isEmpty());
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kAttachmentRow), 0);
  menu = strip.MenuAt({5, 5});
  EXPECT_FALSE(menu->actions()[0]->isEnabled() || menu->actions()[1]->isEnabled());
}

TEST_F(PreviewTest, ClickBelowTheRowsAndKeyReleases) {
  views::CMailListCtrl& list = frame_.ItemList().List();
  ClickSubject("Minutes of the garden club");
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(50, list.viewport()->height() - 3));
  EXPECT_EQ(frame_.HeaderPane().From(), "");
  EXPECT_EQ(frame_.HeaderPane().Subject(), "");
  QTest::keyClick(&list, Qt::Key_Shift);
  EXPECT_EQ(frame_.HeaderPane().Subject(), "Minutes of the garden club");
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(frame_.ScanPage().Engine()->TempFolder()) +
                                "dd2.eml"));
}

// A click on another row's check box leaves the selection mark where it was: the
// preview is that row's, header, attachments and body alike.
TEST_F(PreviewTest, ACheckBoxClickPreviewsItsRowWhole) {
  views::CMailListCtrl& list = frame_.ItemList().List();
  ClickSubject("Seed order and invoice");
  int minutes = -1;
  for (int row = 0; row < list.Model().rowCount(); ++row) {
    if (list.Model().CellText(row, 4) == "Minutes of the garden club") minutes = row;
  }
  ASSERT_GE(minutes, 0);
  const QRect cell = list.visualRect(list.Model().index(minutes, 0));
  QStyleOptionViewItem option;
  option.initFrom(list.viewport());
  option.rect = cell;
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  const QRect box =
      list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
  EXPECT_EQ(list.Model().data(list.Model().index(minutes, 0), Qt::CheckStateRole), Qt::Checked);
  EXPECT_EQ(frame_.HeaderPane().Subject(), "Minutes of the garden club");
  EXPECT_TRUE(frame_.TextView().Text().startsWith("Paragraph 1:"));
  EXPECT_TRUE(frame_.AttachmentStrip().Names().isEmpty());
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kAttachmentRow), 0);
}

// A message that can no longer be read from the folder file clears what the previous
// preview showed and says why, in the text view.
TEST_F(PreviewTest, APreviewThatFailsClearsThePanesAndSaysWhy) {
  ClickSubject("Seed order and invoice");
  ASSERT_FALSE(frame_.AttachmentStrip().Names().isEmpty());
  std::filesystem::resize_file(dir_.Path() + "/sample-copy.dbx", 0);
  ClickSubject("Photo of the new greenhouse");
  EXPECT_EQ(frame_.TextView().Text(), "This email could not be read again from the folder file.");
  EXPECT_EQ(frame_.HeaderPane().From(), "");
  EXPECT_EQ(frame_.HeaderPane().Subject(), "");
  EXPECT_TRUE(frame_.AttachmentStrip().Names().isEmpty());
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kAttachmentRow), 0);
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kBrowserRow), 0);
  EXPECT_EQ(frame_.PreviewStack().IdealHeight(views::kTextRow), 3000);
  Snapshot("preview-failed.png");
}

TEST(PreviewHeader, Layout) {
  views::CPreviewUpperView header;
  header.resize(600, 50);
  header.show();
  EXPECT_EQ(header.ValueRect(0).width(), 220);
  EXPECT_EQ(header.ValueRect(1).x(), 350);
}

// A subject full of markup is shown as the characters it is: the drawn text is as wide
// as those characters, not as the one bold word the markup would make of it.
TEST(PreviewHeader, MarkupInRecoveredTextIsShownAsText) {
  views::CPreviewUpperView header;
  header.resize(900, 50);
  const QString subject = "<b>win</b><img src=\"file:///etc/passwd\"><a href=\"x\">y</a>";
  header.SetSubject(subject);
  header.show();
  const QImage shown = header.grab().toImage();
  const QRect row = header.ValueRect(2);
  const QRgb background = shown.pixel(row.right() - 1, row.center().y());
  int rightmost = -1;
  for (int x = row.left(); x < row.right(); ++x) {
    for (int y = row.top(); y < row.bottom(); ++y) {
      if (shown.pixel(x, y) != background) rightmost = std::max(rightmost, x);
    }
  }
  QFont font("Arial");
  font.setPixelSize(16);
  const int width = QFontMetrics(font).horizontalAdvance(subject);
  EXPECT_NEAR(rightmost - row.left(), width, 12);
}

}  // namespace
}  // namespace rescuva::app
