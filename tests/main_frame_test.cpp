// The main window driven through its commands: scan, both save pages, Finish, the
// themes and the exit sequence, with the shell and the process end replaced.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QWebEngineView>
#include <filesystem>
#include <fstream>

#include "app/data_folder.h"
#include "app/desktop_handler.h"
#include "app/main_frame.h"
#include "msgbox/message_call.h"
#include "tests/cli_run.h"
#include "tests/fat_image.h"
#include "tests/folder_builder.h"
#include "tests/scanned_folder.h"
#include "tests/store_builder.h"
#include "tests/temp_dir.h"

namespace rescuva::app {
namespace {

class MainFrameTest : public ::testing::Test {
 protected:
  MainFrameTest() {
    // the program's folder: the pages and the user guide are built there
    QDir::setCurrent(RESCUVA_APP_DIR);
    QSettings("Rescuva", "Rescuva for Outlook Express").clear();
    msgbox::SetMessageBoxPresenter([this](const msgbox::MessageBoxOptions& box) {
      messages_.push_back(std::get<std::string>(box.message_text));
      return answer_;
    });
  }
  ~MainFrameTest() override { msgbox::SetMessageBoxPresenter(nullptr); }

  std::unique_ptr<CMainFrame> Frame() {
    auto frame = std::make_unique<CMainFrame>(FrameEnvironment{
        [this](const QString& target) {
          opened_.push_back(target.toStdString());
          return true;
        },
        [this] { ++ended_; },
        [this](const QString& file) { return !file.endsWith(".chm") || chm_viewer_; }});
    frame->resize(1200, 800);
    frame->show();
    return frame;
  }
  void WaitForScan(CMainFrame& frame) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame.ScanPage().Scanning(); }, 60000));
    QTest::qWait(150);
  }
  // A frame showing the scanned sample's results.
  std::unique_ptr<CMainFrame> ScannedSample() {
    auto frame = Frame();
    frame->ScanPage().PathBox().setText(QString::fromStdString(testing::CopyOfSample(dir_.Path())));
    frame->Run(kRepair);
    WaitForScan(*frame);
    return frame;
  }
  // On the save options: every message as EML into a new folder "out", which it returns
  // once the save has ended.
  std::string SaveAllAsEml(CMainFrame& frame) {
    frame.SaveOptionPage().FormatButton(saving::SaveFormat::SaveAsEml).setChecked(true);
    frame.SaveOptionPage().ScopeButton(saving::SaveScope::SaveAll).setChecked(true);
    const std::string out = dir_.Path() + "/out";
    std::filesystem::create_directory(out);
    frame.SaveOptionPage().SetFolderChooser([out] { return std::optional<std::string>(out); });
    frame.Run(kSave);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame.SaveProgressPage().Saving(); }, 30000));
    QTest::qWait(50);
    return out;
  }
  void Snapshot(CMainFrame& frame, const char* name) {
    const char* folder = std::getenv("RESCUVA_SCREENSHOTS");
    if (folder) frame.grab().save(QString("%1/%2").arg(folder, name));
  }

  testing::TempDir dir_;
  std::vector<std::string> messages_;
  std::vector<std::string> opened_;
  int ended_ = 0;
  int answer_ = msgbox::IDYES;
  bool chm_viewer_ = true;  // whether the machine opens .chm files
};

TEST_F(MainFrameTest, ScanSaveAndFinish) {
  auto frame = Frame();
  EXPECT_EQ(frame->windowTitle(), "Rescuva for Outlook Express");
  const int h = frame->ClientHeight();
  EXPECT_EQ(frame->PageStack().Row(1)->height(), h);  // the scan page alone
  EXPECT_EQ(frame->HomePagePanel().geometry(), QRect(frame->width() - 170, 24, 160, 52));
  Snapshot(*frame, "state1-choose-file.png");

  frame->Run(kSave);  // nothing in state 1
  EXPECT_EQ(frame->State(), WizardState::ChooseFile);
  frame->ScanPage().PathBox().setText(QString::fromStdString(testing::CopyOfSample(dir_.Path())));
  frame->Run(kRepair);
  WaitForScan(*frame);
  EXPECT_EQ(frame->State(), WizardState::Results);
  EXPECT_EQ(frame->ItemList().List().Model().rowCount(), 7);
  EXPECT_EQ(frame->PageStack().Row(0)->height(), h - 200);
  // the scan's pages ship beside the program
  EXPECT_TRUE(frame->Browser().File().endsWith("completed.html"));
  EXPECT_TRUE(QFileInfo::exists(frame->Browser().File()));
  EXPECT_TRUE(QFileInfo::exists(QFileInfo(frame->Browser().File()).path() + "/waiting.gif"));
  frame->ItemList().List().selectRow(0);
  Snapshot(*frame, "state2-results.png");

  frame->Run(kRepair);  // moves on to the save options
  EXPECT_EQ(frame->State(), WizardState::SaveOptions);
  EXPECT_EQ(frame->PageStack().Row(2)->height(), h);
  EXPECT_TRUE(frame->SaveOptionPage().FormatButton(saving::SaveFormat::SaveAsDbx).isChecked());
  EXPECT_TRUE(frame->SaveOptionPage().ScopeButton(saving::SaveScope::SaveSelected).isChecked());
  Snapshot(*frame, "state3-save-options.png");
  frame->SaveOptionPage().FormatButton(saving::SaveFormat::SaveAsEml).setChecked(true);
  frame->SaveOptionPage().ScopeButton(saving::SaveScope::SaveAllButExisting).setChecked(true);
  const std::string out = dir_.Path() + "/out";
  std::filesystem::create_directory(out);
  frame->SaveOptionPage().SetFolderChooser([out] { return std::optional<std::string>(out); });
  frame->Run(kSave);
  EXPECT_EQ(frame->State(), WizardState::SaveProgress);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->SaveProgressPage().Saving(); }, 30000));
  QTest::qWait(50);
  EXPECT_EQ(frame->SaveProgressPage().Cell(1), "Emails          :  2");
  EXPECT_EQ(frame->SaveProgressPage().Cell(3), "Skipped : 0");  // a save that ran to its end
  EXPECT_TRUE(frame->SaveProgressPage().Cell(4).endsWith("/out"))
      << frame->SaveProgressPage().Cell(4).toStdString();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 2);
  Snapshot(*frame, "state4-save-progress.png");

  frame->SaveProgressPage().OnBack();  // back to the options, counters reset
  EXPECT_EQ(frame->State(), WizardState::SaveOptions);
  EXPECT_EQ(frame->SaveProgressPage().Cell(1), "Emails          :  0");
  EXPECT_TRUE(frame->SaveOptionPage().FormatButton(saving::SaveFormat::SaveAsEml).isChecked());
  frame->SaveOptionPage().ScopeButton(saving::SaveScope::SaveAll).setChecked(true);
  frame->SaveOptionPage().FormatButton(saving::SaveFormat::SaveAsDbx).setChecked(true);
  frame->Run(kSave);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->SaveProgressPage().Saving(); }, 30000));
  QTest::qWait(50);
  EXPECT_TRUE(std::filesystem::exists(out + "/Recovered Emails.dbx") ||
              std::distance(std::filesystem::directory_iterator(out), {}) == 3);
  frame->Run(kRepair);  // Finish: through the options and the results to the file choice
  EXPECT_EQ(frame->State(), WizardState::ChooseFile);
  EXPECT_EQ(frame->ItemList().List().Model().rowCount(), 0);
}

// File > Save report... once the scan has ended: the report lists the messages in the
// order the scan found them, whatever the list shows, and names where they were saved.
TEST_F(MainFrameTest, AReportOfTheEndedScanNamesWhereItsMessagesWent) {
  const std::string report = dir_.Path() + "/report";
  auto frame = std::make_unique<CMainFrame>(FrameEnvironment{
      [](const QString&) { return true; }, [] {}, [](const QString&) { return true; },
      [report] { return QString::fromStdString(report); }});
  frame->resize(1200, 800);
  frame->show();
  QMenu* file = frame->menuBar()->actions()[0]->menu();
  QAction* save_report = nullptr;
  for (QAction* action : file->actions()) {
    if (action->text() == "Save report...") save_report = action;
  }
  ASSERT_NE(save_report, nullptr);
  emit file->aboutToShow();
  EXPECT_FALSE(save_report->isEnabled());
  frame->Run(kSaveReport);  // nothing to report yet
  EXPECT_EQ(messages_.back(), "A report can be saved once a scan has ended.");
  EXPECT_FALSE(std::filesystem::exists(report));

  const std::string sample = testing::CopyOfSample(dir_.Path());
  frame->ScanPage().PathBox().setText(QString::fromStdString(sample));
  frame->Run(kRepair);
  WaitForScan(*frame);
  emit file->aboutToShow();
  EXPECT_TRUE(save_report->isEnabled());
  frame->Run(kRepair);
  const std::string out = SaveAllAsEml(*frame);

  frame->Run(kSaveReport);
  EXPECT_TRUE(messages_.back().starts_with("The report was saved in " + report))
      << messages_.back();
  const std::string csv = testing::ReadFileText(report + "/messages.csv");
  const size_t first_row = csv.find("\r\n") + 2;
  EXPECT_TRUE(
      csv.substr(first_row).starts_with("1,\"existing\",1,\"\",\"\",\"" + sample + "\",9404,1291,"))
      << csv.substr(first_row, 80);
  // the fragment the list hides is in the report too, as the scan found it
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 9);
  EXPECT_NE(csv.find(",\"fragment\","), std::string::npos);
  // every message went into a saved file the report names
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    EXPECT_NE(csv.find(entry.path().string()), std::string::npos) << entry.path();
  }
  // every message's digests (taken when the report is saved) and the file's
  const std::string dfxml = testing::ReadFileText(report + "/report.dfxml");
  size_t sha256s = 0;
  for (size_t at = dfxml.find("<hashdigest type=\"sha256\">"); at != std::string::npos;
       at = dfxml.find("<hashdigest type=\"sha256\">", at + 1)) {
    ++sha256s;
  }
  EXPECT_EQ(sha256s, 8u + 1u);
  frame->Run(kSaveReport);  // never over a report
  EXPECT_NE(messages_.back().find("exists already"), std::string::npos) << messages_.back();
}

// "Open disk image...": the stores on the image's file system under its volume, the
// deleted one under the volume's Deleted branch, the carved rest last.
TEST_F(MainFrameTest, ADiskImageShowsItsVolumesPlacesAndDeletedStores) {
  const std::string store = dir_.Path() + "/store";
  std::filesystem::create_directory(store);
  testing::WriteFolderList(store + "/Folders.dbx", {{4, 1, "Inbox", "Inbox.dbx", 1}});
  testing::WriteMailFile(store + "/Inbox.dbx", {testing::StoreMail("kept", "k@x"),
                                                testing::StoreMail("gone", "g@x", true)});
  const std::string identity =
      "/Documents and Settings/alice/Local Settings/Application Data/Identities/{42}/"
      "Microsoft/Outlook Express";
  const testing::FatImage fat(dir_.Path() + "/disk.img");
  fat.MakeFolders(identity);
  fat.Copy(store + "/Folders.dbx", identity + "/Folders.dbx");
  fat.Copy(store + "/Inbox.dbx", identity + "/Inbox.dbx");
  fat.MakeFolders("/Documents and Settings/bob");
  fat.Copy(testing::SamplePath(), "/Documents and Settings/bob/Inbox.dbx");
  fat.Delete("/Documents and Settings/bob/Inbox.dbx");

  auto frame = Frame();
  EXPECT_TRUE(frame->ScanPage().ImageButton().isVisible());
  frame->ScanPage().ScanImage(QString::fromStdString(fat.Path()));
  WaitForScan(*frame);
  QTreeWidget& tree = frame->FolderTreePane().Tree();
  EXPECT_EQ(frame->ItemList().List().Model().rowCount(), 9) << ::testing::PrintToString(messages_);
  ASSERT_EQ(tree.topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree.topLevelItem(0);
  ASSERT_EQ(root->childCount(), 2);
  QTreeWidgetItem* volume = root->child(0);
  // a folder counts its own messages; these hold folders only
  EXPECT_EQ(volume->text(0), "Volume 1 (FAT32) (0)");
  ASSERT_EQ(volume->childCount(), 2);
  EXPECT_EQ(volume->child(0)->text(0), "alice, identity {42} (0)");
  EXPECT_EQ(volume->child(0)->child(0)->text(0), "Inbox (2)");
  EXPECT_EQ(volume->child(1)->text(0), "Deleted (0)");
  QTreeWidgetItem* bob = volume->child(1)->child(0);
  EXPECT_EQ(bob->text(0), "\\Documents and Settings\\bob (0)");
  ASSERT_EQ(bob->childCount(), 1);
  EXPECT_TRUE(bob->child(0)->text(0).endsWith(" (7)")) << bob->child(0)->text(0).toStdString();
  EXPECT_EQ(root->child(1)->text(0), "Carved (0)");  // nothing the files did not give
  tree.setCurrentItem(volume->child(0)->child(0));
  Snapshot(*frame, "disk-image-tree.png");
  // the image was digested as it was read: a report need not read it whole again
  std::vector<catalogue::CatalogueRow> rows;
  const auto report = frame->ScanPage().ReportOfScan(rows);
  ASSERT_TRUE(report);
  ASSERT_FALSE(report->outcome->files.empty());
  for (const session::ScannedFile& file : report->outcome->files) {
    EXPECT_FALSE(file.facts.digests.Empty()) << file.path;
  }
}

// Beside the described forms: the attachments alone, PDF files (one for all, here)
// and the list as a spreadsheet, each of the scope chosen.
TEST_F(MainFrameTest, TheSavePageAlsoTakesOutAttachmentsPdfAndTheList) {
  auto frame = ScannedSample();
  frame->Run(kRepair);
  CViewSelSaveOpp& page = frame->SaveOptionPage();
  page.ScopeButton(saving::SaveScope::SaveAll).setChecked(true);
  Snapshot(*frame, "save-options-beside.png");
  const std::string out = dir_.Path() + "/out";
  std::filesystem::create_directory(out);
  page.SetFolderChooser([out] { return std::optional<std::string>(out); });
  auto save = [&](QRadioButton& form) {
    form.setChecked(true);
    frame->Run(kSave);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->SaveProgressPage().Saving(); }, 60000));
    QTest::qWait(50);
    if (frame->State() == WizardState::SaveProgress) frame->SaveProgressPage().OnBack();
  };
  save(page.FormatButton(saving::SaveFormat::SaveAsAttachments));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 3);
  save(page.OnePdfButton());
  ASSERT_TRUE(std::filesystem::exists(out + "/Recovered Emails.pdf"));
  const std::string text =
      testing::RunCli(dir_.Path(), "pdftotext '" + out + "/Recovered Emails.pdf' -", true).out;
  for (int row = 0; row < frame->ItemList().List().Model().rowCount(); ++row) {
    const std::string subject = frame->ItemList().List().Model().AllRowAt(row).subject;
    EXPECT_NE(text.find("Subject: " + subject), std::string::npos) << subject;
  }
  save(page.FormatButton(saving::SaveFormat::SaveAsCsv));
  EXPECT_EQ(frame->State(), WizardState::SaveOptions);  // written at once
  const std::string csv = testing::ReadFileText(out + "/Recovered Emails.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 8) << csv;  // the header and 7 rows
  EXPECT_EQ(messages_.back(), "The list of 7 emails was saved to " + out + "/Recovered Emails.csv");
}

TEST_F(MainFrameTest, EmptyScopeSaysSo) {
  auto frame = ScannedSample();
  frame->Run(kSave);
  frame->Run(kSave);  // nothing selected
  EXPECT_EQ(frame->State(), WizardState::SaveOptions);
  EXPECT_EQ(messages_.back(), "There are no emails to save for this choice");
}

TEST_F(MainFrameTest, ThemesAndTheExitSequence) {
  {
    auto frame = Frame();
    EXPECT_EQ(frame->Theme(), 2);
    EXPECT_TRUE(frame->Action(kThemeOffice2003)->isChecked());
    frame->Run(kThemeOffice2000);
    EXPECT_TRUE(frame->Action(kThemeOffice2000)->isChecked());
    EXPECT_FALSE(frame->Action(kThemeOffice2003)->isChecked());
    answer_ = msgbox::IDNO;
    frame->close();
    EXPECT_EQ(ended_, 0);
    EXPECT_TRUE(opened_.empty());
    answer_ = msgbox::IDYES;
    frame->close();
    EXPECT_EQ(ended_, 1);
    EXPECT_EQ(messages_.back(), "Do you really want to exit");
    ASSERT_EQ(opened_.size(), 1u);  // the home page
  }
  auto again = Frame();
  EXPECT_EQ(again->Theme(), 0);
  again->Run(kHelp);  // the user guide is built beside the program
  ASSERT_EQ(opened_.size(), 2u);
  EXPECT_TRUE(QString::fromStdString(opened_.back()).endsWith("/Rescuva for Outlook Express.chm"));
  // without a .chm viewer the guide opens from its HTML pages; the help file is not
  // handed to an opener that would start and show nothing
  chm_viewer_ = false;
  again->Run(kHelp);
  ASSERT_EQ(opened_.size(), 3u);
  EXPECT_TRUE(QString::fromStdString(opened_.back()).endsWith("/help/index.html"));
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(opened_.back())));
  QDir::setCurrent(QDir::tempPath());
  auto elsewhere = Frame();
  elsewhere->Run(kHelp);
  EXPECT_EQ(messages_.back(),
            "Rescuva for Outlook Express.chm file not exist, please reinstall software ");
}

// 20,000 lost messages: a scan and a save long enough to leave in the middle.
// 20,000 lost messages of `blocks` blocks each.
std::string BigFolder(const std::string& folder, uint32_t blocks = 1) {
  constexpr uint32_t kMessages = 20000;
  testing::FolderBuilder big(0x3000 + kMessages * blocks * 0x210);
  const std::string body(blocks * 512 - 200, 'b');
  for (uint32_t i = 0; i < kMessages; ++i) {
    std::vector<uint32_t> offsets;
    for (uint32_t k = 0; k < blocks; ++k) offsets.push_back(0x3000 + (i * blocks + k) * 0x210);
    big.Chain(offsets,
              testing::MailText("lost " + std::to_string(i), blocks > 1 ? body : "Hello.\r\n"));
  }
  return big.Write(folder, "big.dbx");
}

// Exit while a folder file is being saved: the question says so, the save stops, and
// the file left behind is whole; the scratch folders are gone before the process ends.
TEST_F(MainFrameTest, ExitDuringASaveLeavesAWholeFolderFile) {
  auto frame = Frame();
  frame->ScanPage().PathBox().setText(QString::fromStdString(BigFolder(dir_.Path(), 8)));
  frame->Run(kRepair);
  WaitForScan(*frame);
  const std::string scratch = frame->ScanPage().Engine()->TempFolder();
  frame->Run(kRepair);
  frame->SaveOptionPage().ScopeButton(saving::SaveScope::SaveAll).setChecked(true);
  const std::string out = dir_.Path() + "/out";
  std::filesystem::create_directory(out);
  frame->SaveOptionPage().SetFolderChooser([out] { return std::optional<std::string>(out); });
  frame->Run(kSave);
  // the save is quick: leave as soon as some messages are saved
  CViewSave& saving = frame->SaveProgressPage();
  while (saving.Saving() && saving.Progress().value() < 1) QCoreApplication::processEvents();
  ASSERT_TRUE(saving.Saving());
  frame->close();
  EXPECT_EQ(ended_, 1);
  EXPECT_NE(messages_.back().find("Emails are being saved"), std::string::npos);
  EXPECT_NE(messages_.back().find("Do you really want to exit"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(scratch));
  testing::ScannedFolder saved(out + "/Recovered Emails.dbx");
  EXPECT_GT(saved.rows.size(), 0u);
  for (const auto& row : saved.rows) {
    EXPECT_FALSE(row.deleted);
    EXPECT_TRUE(row.subject.starts_with("lost ")) << row.subject;
  }
}

// A preview during a scan shows the clicked message's body, not the progress page.
TEST_F(MainFrameTest, APreviewDuringAScanShowsThatMessage) {
  auto frame = Frame();
  frame->ScanPage().PathBox().setText(QString::fromStdString(BigFolder(dir_.Path())));
  frame->Run(kRepair);
  EXPECT_EQ(frame->PreviewStack().IdealHeight(views::kBrowserRow), 3000);  // the progress page
  EXPECT_TRUE(frame->Browser().File().endsWith("progress.html"));
  views::CMailListCtrl& list = frame->ItemList().List();
  ASSERT_TRUE(QTest::qWaitFor([&] { return list.Model().rowCount() > 0; }, 30000));
  ASSERT_TRUE(frame->ScanPage().Scanning());
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualRect(list.Model().index(0, 4)).center());
  const std::string subject = list.Model().RowAt(0)->subject;
  EXPECT_EQ(frame->HeaderPane().Subject().toStdString(), subject);
  EXPECT_EQ(frame->PreviewStack().IdealHeight(views::kTextRow), 3000);
  EXPECT_EQ(frame->PreviewStack().IdealHeight(views::kBrowserRow), 0);
  EXPECT_TRUE(frame->TextView().Text().startsWith("Hello."))
      << frame->TextView().Text().toStdString();
  frame->ScanPage().RequestStop();
  WaitForScan(*frame);
}

// Exit in the middle of a scan: the immediate exit still takes the scratch folder.
TEST_F(MainFrameTest, ExitDuringAScanRemovesItsScratchFolder) {
  auto frame = Frame();
  frame->ScanPage().PathBox().setText(QString::fromStdString(BigFolder(dir_.Path())));
  frame->Run(kRepair);
  ASSERT_TRUE(frame->ScanPage().Scanning());
  const std::string scratch = frame->ScanPage().Engine()->TempFolder();
  EXPECT_TRUE(std::filesystem::exists(scratch));
  frame->close();
  EXPECT_EQ(ended_, 1);
  EXPECT_EQ(messages_.back(), "Do you really want to exit");
  EXPECT_FALSE(std::filesystem::exists(scratch));
  WaitForScan(*frame);
}

// The window as a user without a window manager finds it: the screen's available area,
// the program's icon; and hidden bars never let a hidden page show or take input.
TEST_F(MainFrameTest, GeometryIconAndHiddenPages) {
  CMainFrame plain;
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(plain.geometry(), available);
  EXPECT_FALSE(plain.windowIcon().isNull());
  // restored from maximised, the window's frame is put back on the screen
  plain.show();
  plain.setGeometry(available.translated(0, -40));
  plain.showMaximized();
  plain.showNormal();
  EXPECT_TRUE(QTest::qWaitFor([&] { return available.contains(plain.frameGeometry()); }, 2000))
      << plain.frameGeometry().top();
  auto frame = Frame();
  for (int command : {kToggleToolbar, kToggleStatusBar}) {
    frame->Action(command)->setChecked(false);
    frame->Run(command);
  }
  QTest::qWait(50);
  const int h = frame->PageStack().height();
  EXPECT_EQ(frame->PageStack().Row(1)->height(), h);  // the scan page alone
  for (int row : {0, 2, 3}) {
    EXPECT_FALSE(frame->PageStack().Row(row)->isVisible()) << row;
    EXPECT_EQ(frame->PageStack().Row(row)->height(), 0) << row;
  }
}

// The Customize options are kept across runs, and the commands page lists commands.
TEST_F(MainFrameTest, CustomizeOptionsAreRememberedAndCommandsListed) {
  {
    auto frame = Frame();
    EXPECT_EQ(frame->Toolbar().iconSize(), QSize(42, 35));
    QStringList listed;
    frame->SetCustomizeHook([&](QDialog& dialog) {
      const auto boxes = dialog.findChildren<QCheckBox*>();
      ASSERT_FALSE(boxes.empty());
      EXPECT_EQ(boxes[0]->text(), "Large icons");
      boxes[0]->setChecked(false);
      auto* commands = dialog.findChild<QListWidget*>("commands");
      for (int i = 0; i < commands->count(); ++i) listed << commands->item(i)->text();
      dialog.reject();
    });
    frame->Run(kCustomize);
    EXPECT_EQ(frame->Toolbar().iconSize(), QSize(16, 16));
    EXPECT_TRUE(listed.contains("Repair")) << listed.join(",").toStdString();
    EXPECT_TRUE(listed.contains("Exit"));
    frame->close();
    EXPECT_EQ(ended_, 1);
  }
  auto again = Frame();
  EXPECT_EQ(again->Toolbar().iconSize(), QSize(16, 16));
}

// Find a message: Ctrl+F opens the bar, typing filters the list, and "selected" saves
// the highlighted rows among those shown while "all" still saves every row.
TEST_F(MainFrameTest, FindBarFiltersAndTheSaveTakesWhatIsShownAndHighlighted) {
  auto frame = ScannedSample();
  QTest::keySequence(frame.get(), QKeySequence::Find);
  views::CDispImfoView& items = frame->ItemList();
  ASSERT_TRUE(items.FindBox().isVisible());
  QTest::keyClicks(&items.FindBox(), "deleted:");
  views::CMailListCtrl& list = items.List();
  ASSERT_EQ(list.Model().rowCount(), 2);
  list.selectRow(1);
  frame->Run(kRepair);
  const std::string out = dir_.Path() + "/out";
  std::filesystem::create_directory(out);
  frame->SaveOptionPage().SetFolderChooser([out] { return std::optional<std::string>(out); });
  frame->SaveOptionPage().FormatButton(saving::SaveFormat::SaveAsEml).setChecked(true);
  frame->Run(kSave);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->SaveProgressPage().Saving(); }, 30000));
  std::vector<std::string> saved;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    saved.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0], "Deleted_ old meeting notes_18380.eml");
}

// The find bar also searches the messages' own text when asked, and bounds the dates.
TEST_F(MainFrameTest, TheFindBarSearchesTheMessagesTextAndADateRange) {
  auto frame = ScannedSample();
  QTest::keySequence(frame.get(), QKeySequence::Find);
  views::CDispImfoView& items = frame->ItemList();
  const views::MessageListModel& model = items.List().Model();
  QTest::keyClicks(&items.FindBox(), "paragraph 1");  // in a body alone
  EXPECT_EQ(model.rowCount(), 0);
  items.InTextBox().setChecked(true);
  // the three --match finds, the long letter and the deleted notes telling the same
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 3; }, 20000));
  EXPECT_EQ(items.FindCount(), "3 of 7 emails");
  Snapshot(*frame, "find-in-text.png");
  items.InTextBox().setChecked(false);
  EXPECT_EQ(model.rowCount(), 0);

  items.FindBox().clear();
  QTest::keyClicks(&items.SinceBox(), "2004-02-12");
  QTest::keyClicks(&items.UntilBox(), "2004-02-16");
  EXPECT_EQ(model.rowCount(), 3);         // as --since and --until count them
  items.UntilBox().setText("16.2.2004");  // no day: bounds nothing, and shows so
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_FALSE(items.UntilBox().styleSheet().isEmpty());
  QTest::keyClick(&items.FindBox(), Qt::Key_Escape);  // every row again
  EXPECT_EQ(model.rowCount(), 7);
  EXPECT_TRUE(items.SinceBox().text().isEmpty());
}

// The sample with its header zeroed holds one fragment: hidden until asked for. The
// repair, when chosen, mends what the preview shows of a deleted message.
TEST_F(MainFrameTest, FragmentsShowWhenAskedAndDeletedEmailsAreRepaired) {
  auto bytes = testing::ReadFileBytes(testing::SamplePath());
  ASSERT_GT(bytes.size(), 0x24BCu);
  std::fill(bytes.begin(), bytes.begin() + 0x24BC, 0);
  testing::FolderBuilder damaged;
  damaged.Data() = bytes;
  auto frame = Frame();
  frame->ScanPage().PathBox().setText(
      QString::fromStdString(damaged.Write(dir_.Path(), "no-index.dbx")));
  frame->Run(kRepair);
  WaitForScan(*frame);
  views::CMailListCtrl& list = frame->ItemList().List();
  auto fragments = [&] {
    int shown = 0;
    for (int row = 0; row < list.Model().rowCount(); ++row) {
      shown += list.Model().CellText(row, 6) == "Fragment";
    }
    return shown;
  };
  EXPECT_EQ(list.Model().rowCount(), 7);
  EXPECT_EQ(fragments(), 0);
  frame->Action(kShowFragments)->trigger();
  EXPECT_EQ(list.Model().rowCount(), 8);
  EXPECT_EQ(fragments(), 1);
  EXPECT_EQ(frame->ScanPage().CounterText().toStdString(), "Emails          :  8");
  // a fragment's text shows in the text view, under an empty header
  for (int row = 0; row < list.Model().rowCount(); ++row) {
    if (list.Model().CellText(row, 6) != "Fragment") continue;
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.Model().index(row, 4)).center());
  }
  EXPECT_EQ(frame->PreviewStack().IdealHeight(views::kTextRow), 3000);
  EXPECT_GT(frame->TextView().Text().size(), 100);
  EXPECT_EQ(frame->HeaderPane().From(), "");
  Snapshot(*frame, "fragments.png");
  frame->Action(kShowFragments)->trigger();
  EXPECT_EQ(list.Model().rowCount(), 7);
  EXPECT_EQ(frame->ScanPage().CounterText().toStdString(), "Emails          :  7");

  auto preview_notes = [&] {
    for (int row = 0; row < list.Model().rowCount(); ++row) {
      if (list.Model().RowAt(row)->subject != "Deleted: old meeting notes") continue;
      list.clearSelection();
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                        list.visualRect(list.Model().index(row, 4)).center());
    }
    return frame->TextView().Text().toStdString();
  };
  const std::string plain = preview_notes();
  EXPECT_TRUE(plain.ends_with("____")) << plain.substr(plain.size() - 20);
  frame->Action(kRepairDeleted)->trigger();
  const std::string repaired = preview_notes();
  EXPECT_TRUE(repaired.ends_with("this one survived.\n") || repaired.ends_with("survived."))
      << repaired.substr(repaired.size() - 20);
  EXPECT_NE(repaired.find("kept it????il"), std::string::npos);
}

// A store's scan fills the folder tree with its folders and counts; a folder chosen
// there chooses the rows listed and saved; a file's scan after it leaves the tree empty.
TEST_F(MainFrameTest, AStoreShowsItsFoldersAndSavesTheChosenOne) {
  const std::string store = dir_.Path() + "/store";
  std::filesystem::create_directory(store);
  testing::WriteFolderList(
      store + "/Folders.dbx",
      {{4, 1, "Inbox", "Inbox.dbx", 1}, {10, 12, "Garden", "Garden.dbx"}, {12, 1, "Projects", ""}});
  testing::WriteMailFile(store + "/Inbox.dbx", {testing::StoreMail("answered", "a@x"),
                                                testing::StoreMail("moved", "moved@x", true),
                                                testing::StoreMail("gone", "gone@x", true)});
  testing::WriteMailFile(store + "/Garden.dbx", {testing::StoreMail("moved", "moved@x"),
                                                 testing::StoreMail("greenhouse", "g@x")});
  auto frame = Frame();
  const QStringList file_menu = [&] {
    QStringList texts;
    for (QAction* action : frame->menuBar()->actions().front()->menu()->actions())
      texts << action->text();
    return texts;
  }();
  EXPECT_TRUE(file_menu.contains("Repair store folder..."));
  EXPECT_TRUE(frame->ScanPage().StoreButton().isVisible());
  frame->ScanPage().ScanStore(QString::fromStdString(store));
  WaitForScan(*frame);
  QTreeWidget& tree = frame->FolderTreePane().Tree();
  ASSERT_EQ(tree.topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree.topLevelItem(0);
  EXPECT_EQ(root->text(0), "Outlook Express (5)");
  EXPECT_EQ(root->text(1), "2 deleted");
  ASSERT_EQ(root->childCount(), 2);
  QTreeWidgetItem* inbox = root->child(0);
  EXPECT_EQ(inbox->text(0), "Inbox (3)");
  EXPECT_EQ(inbox->foreground(1).color(), QColor(Qt::red));
  ASSERT_EQ(root->child(1)->childCount(), 1);
  QTreeWidgetItem* garden = root->child(1)->child(0);
  EXPECT_EQ(garden->text(0), "Garden (2)");
  EXPECT_EQ(garden->text(1), "");
  EXPECT_GT(frame->FolderTreePane().width(), 100);  // the pane opens for a store

  views::CMailListCtrl& list = frame->ItemList().List();
  EXPECT_EQ(list.Model().rowCount(), 5);
  tree.setCurrentItem(inbox);
  EXPECT_EQ(list.Model().rowCount(), 3);
  list.selectRow(0);
  Snapshot(*frame, "store-tree.png");
  tree.setCurrentItem(garden);
  EXPECT_EQ(list.Model().rowCount(), 2);

  frame->Run(kRepair);  // the save options
  const std::string out = SaveAllAsEml(*frame);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out + "/Projects/Garden"), {}), 2);
  // no output for a folder not saved, nor a file for the chosen folder's parent
  EXPECT_FALSE(std::filesystem::exists(out + "/Inbox"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out + "/Projects"), {}), 1);

  frame->Run(kRepair);  // Finish: back to the file choice, the tree emptied
  EXPECT_EQ(tree.topLevelItemCount(), 0);
  frame->ScanPage().PathBox().setText(QString::fromStdString(testing::CopyOfSample(dir_.Path())));
  frame->Run(kRepair);
  WaitForScan(*frame);
  EXPECT_EQ(list.Model().rowCount(), 7);
  EXPECT_EQ(tree.topLevelItemCount(), 0);
  EXPECT_EQ(frame->FolderTreePane().width(), 0);
}

// A search ends with the file it was typed for: Save, Back, Back and a new scan show
// every row again; the counter counts every listed row whatever the search shows; and
// the bar opened while the results are collapsed keeps its room when they show again.
TEST_F(MainFrameTest, AFindFilterEndsWithItsFileAndTheCounterCountsEveryRow) {
  auto frame = ScannedSample();
  views::CDispImfoView& items = frame->ItemList();
  views::CMailListCtrl& list = items.List();
  QTest::keySequence(frame.get(), QKeySequence::Find);
  QTest::keyClicks(&items.FindBox(), "deleted:");
  EXPECT_EQ(list.Model().rowCount(), 2);
  EXPECT_EQ(frame->ScanPage().CounterText().toStdString(), "Emails          :  7");
  frame->Run(kRepair);  // Save
  ASSERT_EQ(frame->State(), WizardState::SaveOptions);
  frame->SaveOptionPage().OnBack();
  frame->ScanPage().OnBack();
  EXPECT_FALSE(items.FindBarShown());
  frame->Run(kRepair);
  WaitForScan(*frame);
  EXPECT_EQ(list.Model().rowCount(), 7);
  EXPECT_EQ(frame->ScanPage().CounterText().toStdString(), "Emails          :  7");

  frame->Run(kRepair);  // the results collapse under the save page
  QTest::keySequence(frame.get(), QKeySequence::Find);
  frame->SaveOptionPage().OnBack();
  QTest::qWait(50);
  EXPECT_GT(items.FindBox().height(), 10);
  EXPECT_GT(list.geometry().top(), 10);
}

// What a scan could not read is said when it ends and again on request: a store's
// skipped file, a file that is no folder file. Help opens nothing the desktop cannot
// show.
TEST_F(MainFrameTest, ScanNotesAreSaidAndCanBeReadAgain) {
  auto frame = Frame();
  frame->ScanPage().ScanStore(QString::fromStdString(
      std::filesystem::path(testing::Fixture("Inbox.dbx")).parent_path().string()));
  WaitForScan(*frame);
  ASSERT_FALSE(messages_.empty());
  EXPECT_NE(messages_.back().find("Offline.dbx: offline actions"), std::string::npos)
      << messages_.back();
  // the tree's pane opens as wide as its names
  QTreeWidget& tree = frame->FolderTreePane().Tree();
  ASSERT_EQ(tree.topLevelItemCount(), 1);
  for (int i = 0; i < tree.topLevelItem(0)->childCount(); ++i) {
    const QRect name = tree.visualItemRect(tree.topLevelItem(0)->child(i));
    EXPECT_LE(
        name.left() + tree.fontMetrics().horizontalAdvance(tree.topLevelItem(0)->child(i)->text(0)),
        tree.viewport()->width());
  }
  Snapshot(*frame, "store-notes.png");
  messages_.clear();
  frame->Run(kScanNotes);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_.back().find("Offline.dbx"), std::string::npos);
  frame->Run(kRepair);  // Save
  frame->SaveOptionPage().OnBack();
  frame->ScanPage().OnBack();

  const std::string picture = dir_.Path() + "/holiday.dbx";
  std::ofstream(picture, std::ios::binary) << "\x89PNG\r\n\x1a\n" << std::string(3000, '\xAA');
  frame->ScanPage().PathBox().setText(QString::fromStdString(picture));
  frame->Run(kRepair);
  WaitForScan(*frame);
  EXPECT_EQ(frame->ScanPage().StatusText(), "Repairing  done..");
  ASSERT_FALSE(messages_.empty());
  EXPECT_NE(messages_.back().find("holiday.dbx: not an Outlook Express folder file"),
            std::string::npos)
      << messages_.back();
}

// A link clicked in a previewed message is not followed inside the preview: the user
// is asked, and only a yes hands the address to the desktop.
TEST_F(MainFrameTest, ALinkInAPreviewIsOpenedOutsideOnlyWhenTheUserSaysSo) {
  testing::FolderBuilder folder;
  folder.Chain({0x3000},
               "From: a@example.org\r\nTo: b@example.org\r\nSubject: a link\r\n"
               "MIME-Version: 1.0\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n"
               "<html><body style=\"margin:0\"><a href=\"https://example.org/offer\" "
               "style=\"display:block;width:3000px;height:3000px\">offer</a></body></html>\r\n");
  auto frame = Frame();
  frame->ScanPage().PathBox().setText(QString::fromStdString(folder.Write(dir_.Path())));
  frame->Run(kRepair);
  WaitForScan(*frame);
  views::CMailListCtrl& list = frame->ItemList().List();
  ASSERT_EQ(list.Model().rowCount(), 1);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualRect(list.Model().index(0, 4)).center());
  views::CHtm& browser = frame->Browser();
  ASSERT_TRUE(QTest::qWaitFor([&] { return browser.Idle(); }, 20000));
  QTest::qWait(500);
  const QString shown = browser.File();
  QWidget* page = browser.View().focusProxy();
  ASSERT_NE(page, nullptr);
  auto click_link = [&] {
    messages_.clear();
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(60, 60));
    return QTest::qWaitFor([&] { return !messages_.empty(); }, 10000);
  };
  answer_ = msgbox::IDNO;
  ASSERT_TRUE(click_link());
  EXPECT_EQ(messages_.back(),
            "Open this link of the message outside the program?<br>"
            "https://example.org/offer");
  EXPECT_TRUE(opened_.empty());
  answer_ = msgbox::IDYES;
  ASSERT_TRUE(click_link());
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_.back(), "https://example.org/offer");
  QTest::qWait(300);
  EXPECT_EQ(browser.File(), shown);
  EXPECT_TRUE(browser.BlockedRequests().isEmpty());
}

// A folder list nested 100,000 levels deep is read on the session's worker and shown.
TEST_F(MainFrameTest, AStoreOfAnyDepthIsShown) {
  const std::string store = dir_.Path() + "/deep";
  std::filesystem::create_directory(store);
  testing::WriteDeepStore(store, 100000);
  auto frame = Frame();
  frame->ScanPage().ScanStore(QString::fromStdString(store));
  WaitForScan(*frame);
  EXPECT_EQ(frame->ItemList().List().Model().rowCount(), 1);
  EXPECT_EQ(frame->FolderTreePane().Tree().topLevelItemCount(), 1);
}

// The desktop is asked which program shows a file's type; with none, the guide opens.
TEST(DesktopHandler, TheDesktopNamesAProgramOrNone) {
  testing::TempDir dir;
  const QString home = QString::fromStdString(dir.Path());
  const QByteArray kept_config = qgetenv("XDG_CONFIG_HOME"), kept_data = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_CONFIG_HOME", (home + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (home + "/data").toUtf8());
  std::filesystem::create_directories(dir.Path() + "/config");
  std::filesystem::create_directories(dir.Path() + "/data/applications");
  const QString help = home + "/guide.chm";
  std::ofstream(help.toStdString()) << "ITSF";
  EXPECT_FALSE(DesktopHasHandler(help));
  std::ofstream(dir.Path() + "/data/applications/viewer.desktop")
      << "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\n"
         "MimeType=application/vnd.ms-htmlhelp;\n";
  std::ofstream(dir.Path() + "/config/mimeapps.list")
      << "[Default Applications]\napplication/vnd.ms-htmlhelp=viewer.desktop\n";
  EXPECT_TRUE(DesktopHasHandler(help));
  qputenv("XDG_CONFIG_HOME", kept_config);
  qputenv("XDG_DATA_HOME", kept_data);
}

// Started as root, the program says why it ends, on stderr (and in a box, which the
// test does not wait for).
TEST(StartUp, AsRootItSaysWhyItEnds) {
  if (::geteuid() != 0) GTEST_SKIP() << "not root";
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("QTWEBENGINE_DISABLE_SANDBOX");
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  program.setProcessEnvironment(environment);
  program.start(QString(RESCUVA_APP_DIR) + "/rescuva", {});
  QByteArray said;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        said += program.readAllStandardError();
        return said.contains("does not run as root") || program.state() == QProcess::NotRunning;
      },
      30000));
  program.kill();
  program.waitForFinished();
  EXPECT_TRUE(said.contains("rescuva: Rescuva for Outlook Express does not run as root"))
      << said.toStdString();
}

// The program's files are found in the start folder, else beside the program, else in
// the data folder of an installation (share/rescuva beside bin/).
TEST(DataFolder, StartFolderThenProgramThenInstalledData) {
  testing::TempDir dir;
  const QString start = QString::fromStdString(dir.Path()) + "/";
  const QString program = QCoreApplication::applicationDirPath() + "/";
  const QString installed = QDir::cleanPath(program + "../share/rescuva") + "/";
  const QString name = QString("data-folder-test-%1.html").arg(QCoreApplication::applicationPid());
  EXPECT_EQ(FolderHolding(start, name), start);  // nowhere: the start folder
  ASSERT_TRUE(QDir().mkpath(installed));
  for (const QString& folder : {installed, program, start}) {
    QFile file(folder + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(FolderHolding(start, name), folder);
  }
  for (const QString& folder : {installed, program, start}) QFile::remove(folder + name);
}

TEST_F(MainFrameTest, PagesFollowTheirLayoutTables) {
  auto frame = Frame();
  for (QSize size : {QSize(1200, 800), QSize(900, 700)}) {
    frame->resize(size);
    QTest::qWait(10);
    CViewSelSaveOpp& options = frame->SaveOptionPage();
    options.show();  // a hidden page hears of its size when it shows
    options.resize(size.width(), 600);
    const int a = 600 / 2;
    EXPECT_EQ(options.FormatButton(saving::SaveFormat::SaveAsDbx).geometry(),
              QRect(120, a - 90, 300, 18));
    EXPECT_EQ(options.ScopeButton(saving::SaveScope::SaveAllButExisting).geometry(),
              QRect(120, a + 102, 300, 18));
    CViewSave& progress = frame->SaveProgressPage();
    progress.show();
    progress.resize(size.width(), 500);
    EXPECT_EQ(progress.Progress().geometry(), QRect(100, 250 - 30, size.width() - 200, 20));
    EXPECT_EQ(frame->HomePagePanel().geometry(), QRect(frame->width() - 170, 24, 160, 52));
  }
}

}  // namespace
}  // namespace rescuva::app
