// The scan page driven as a user drives it: choosing a file, scanning on the worker
// thread, stopping, going back and scanning again, moving on to the save page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

#include "app/scan_page_layout.h"
#include "app/view_bottom.h"
#include "msgbox/message_call.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/temp_dir.h"
#include "toolkit/row_stack.h"

namespace rescuva::app {
namespace {

class FakeFrame : public WizardFrame {
 public:
  WizardState State() const override { return state; }
  void SetState(WizardState s) override { state = s; }
  int ClientHeight() const override { return 600; }
  void SetPageRow(int row, int height) override { rows[static_cast<size_t>(row)] = height; }
  void LayoutPages() override { ++layouts; }
  void ClearCaption() override { ++captions_cleared; }
  void ClearFolderTree() override { ++trees_cleared; }
  void BrowserOnlyLayout() override { ++browser_only; }
  void ShowBrowserPage(const QString& file) override { pages.push_back(file); }

  WizardState state = WizardState::ChooseFile;
  std::array<int, kPageRows> rows{0, 600, 0, 0};
  int layouts = 0, captions_cleared = 0, trees_cleared = 0, browser_only = 0;
  QStringList pages;
};

class ScanPageTest : public ::testing::Test {
 protected:
  ScanPageTest() : page_(frame_, items_) {
    page_.resize(1000, 200);
    page_.show();
    msgbox::SetMessageBoxPresenter([this](const msgbox::MessageBoxOptions& box) {
      messages_.push_back(std::get<std::string>(box.message_text));
      return answer_;
    });
  }
  ~ScanPageTest() override { msgbox::SetMessageBoxPresenter(nullptr); }

  void ScanAndWait(const std::string& path) {
    page_.PathBox().setText(QString::fromStdString(path));
    page_.OnScan();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_.Scanning(); }, 60000));
    QTest::qWait(150);  // the completion step
  }
  int Rows() { return items_.List().Model().rowCount(); }

  testing::TempDir dir_;
  FakeFrame frame_;
  views::CDispImfoView items_;
  CViewBottom page_;
  std::vector<std::string> messages_;
  int answer_ = msgbox::IDYES;
};

TEST_F(ScanPageTest, ScanBackAndScanAgain) {
  const std::string sample = testing::CopyOfSample(dir_.Path());
  ScanAndWait(sample);
  EXPECT_EQ(frame_.state, WizardState::Results);
  EXPECT_EQ(frame_.rows[0], 600 - 200);
  EXPECT_EQ(frame_.captions_cleared, 1);
  EXPECT_EQ(frame_.browser_only, 1);
  ASSERT_EQ(frame_.pages.size(), 2);
  EXPECT_TRUE(frame_.pages[0].endsWith("/progress.html"));
  EXPECT_TRUE(frame_.pages[1].endsWith("/completed.html"));
  EXPECT_EQ(page_.StatusText(), "Repairing  done..");
  EXPECT_EQ(Rows(), 7);
  EXPECT_EQ(page_.CounterText(), "Emails          :  7");
  EXPECT_EQ(items_.List().Model().CellText(0, 6), "Deleted");  // the last found is on top
  EXPECT_TRUE(page_.BackButton().isVisible());
  EXPECT_FALSE(page_.StopButton().isVisible());
  EXPECT_TRUE(page_.ScanButton().isVisible());
  EXPECT_EQ(page_.ScanButton().text(), "Save");
  EXPECT_FALSE(page_.Progress().isVisible());

  page_.OnBack();
  EXPECT_EQ(frame_.state, WizardState::ChooseFile);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(frame_.trees_cleared, 1);
  EXPECT_FALSE(page_.Engine());
  EXPECT_EQ(page_.ScanButton().text(), "Scan");
  EXPECT_EQ(page_.PathBox().text().toStdString(), sample);  // the path box keeps its text
  ScanAndWait(sample);
  EXPECT_EQ(Rows(), 7);  // a new engine, a new list
  page_.OnScan();        // "Save"
  EXPECT_EQ(frame_.state, WizardState::SaveOptions);
  EXPECT_EQ(frame_.rows[2], 600);
}

TEST_F(ScanPageTest, EmptyPathOpensTheChooser) {
  bool chooser = false;
  QTimer::singleShot(50, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      chooser = true;
      dialog->reject();
    }
  });
  page_.OnScan();
  EXPECT_TRUE(chooser);
  EXPECT_EQ(frame_.state, WizardState::ChooseFile);
}

TEST_F(ScanPageTest, AFolderScansToAnEmptyResult) {
  ScanAndWait(dir_.Path());
  EXPECT_EQ(messages_, std::vector<std::string>{"Unable to open file..."});
  EXPECT_EQ(page_.StatusText(), "Opening file...");
  EXPECT_EQ(frame_.state, WizardState::Results);
  EXPECT_EQ(Rows(), 0);
}

TEST_F(ScanPageTest, StopAsksFirst) {
  constexpr uint32_t kMessages = 20000;
  testing::FolderBuilder big(0x3000 + kMessages * 0x210);
  for (uint32_t i = 0; i < kMessages; ++i) {
    big.Chain({0x3000 + i * 0x210}, testing::MailText("lost " + std::to_string(i)));
  }
  page_.PathBox().setText(QString::fromStdString(big.Write(dir_.Path(), "big.dbx")));
  page_.OnScan();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Rows() > 0; }, 20000));
  answer_ = msgbox::IDNO;
  page_.OnStop();
  EXPECT_TRUE(page_.StopButton().isVisible());
  EXPECT_FALSE(page_.StopRequested());
  answer_ = msgbox::IDYES;
  page_.OnStop();
  EXPECT_EQ(messages_.back(), "Do you really want to stop repairing process");
  EXPECT_TRUE(page_.StopRequested());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page_.Scanning(); }, 60000));
  QTest::qWait(150);
  EXPECT_EQ(page_.StatusText(), "User aborted process");
  EXPECT_LT(Rows(), static_cast<int>(kMessages));
  EXPECT_TRUE(page_.BackButton().isVisible() && page_.BackButton().isEnabled());
  EXPECT_EQ(page_.ScanButton().text(), "Save");
}

TEST(ScanPageLayout, FollowsTheTableAtTwoSizes) {
  for (auto [cx, cy] : {std::pair{1000, 200}, {1600, 900}}) {
    const ScanPageLayout layout = LayoutScanPage(cx, cy);
    EXPECT_EQ(layout.status, QRect(340, 15, cx - 540, 18));
    EXPECT_EQ(layout.progress, QRect(20, 51, cx - 120, 18));
    EXPECT_EQ(layout.path, QRect(97, cy / 2 + 20, cx - 252, 25));
    EXPECT_EQ(layout.browse, QRect(cx - 150, cy / 2 + 20, 50, 25));
    EXPECT_EQ(layout.back, QRect(cx - 190, cy - 40, 80, 30));
    EXPECT_EQ(layout.stop, layout.scan);
  }
  EXPECT_EQ(PageRowHeights(WizardState::Results, 150)[0], 0);  // no room for the results
  EXPECT_EQ(toolkit::StackRows({400, 600, 0, 0}, 600), (std::vector<int>{400, 200, 0, 0}));
  EXPECT_EQ(toolkit::StackRows({0, 0, 0, 700}, 700), (std::vector<int>{0, 0, 0, 700}));
}

}  // namespace
}  // namespace rescuva::app
