// CMainFrame, the single window: menus, the "Standard" toolbar, the status bar, the
// home-page button, and the page stack (results area, scan page, save option page,
// save progress page) whose rows follow the wizard state.
#pragma once

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSplitter>
#include <functional>
#include <map>

#include "app/preview_generator.h"
#include "app/view_bottom.h"
#include "app/view_save.h"
#include "app/view_sel_save_opp.h"
#include "app/wizard.h"
#include "session/text_search.h"
#include "toolkit/caption_bar.h"
#include "toolkit/row_stack.h"
#include "views/disp_imfo_view.h"
#include "views/htm_view.h"
#include "views/item_tree_view.h"
#include "views/preview_views.h"

namespace rescuva::app {

// Command numbers of the menus and the toolbar.
enum Command : int {
  kRepair = 32838,
  kSave = 32839,
  kExit = 57665,
  kToggleToolbar = 59392,
  kToggleStatusBar = 59393,
  kThemeOffice2000 = 32804,
  kThemeOfficeXP = 32803,
  kThemeOffice2003 = 32805,
  kThemeWindowsXP = 32807,
  kLiveUpdate = 32808,
  kHelp = 32809,
  kAbout = 57664,
  kCustomize = 35001,
  kFind = 32850,           // beyond the described commands: the find bar
  kShowFragments = 32851,  // and the choices for damaged files
  kRepairDeleted = 32852,
  kRepairStore = 32853,  // a whole store
  kScanNotes = 32854,    // what the last scan could not do or read
  kSaveReport = 32855,   // an examiner's report of the last scan
  kOpenImage = 32856,    // the stores on a disk image
};

// What the frame does outside itself; tests replace it.
struct FrameEnvironment {
  // the shell's "open"; false when nothing on the machine opens it
  std::function<bool(const QString& url_or_file)> open;
  std::function<void()> end_process;  // ends the process at once
  // whether the desktop has a program for a file's type
  std::function<bool(const QString& file)> has_handler;
  // the folder a report goes into; empty when the user cancels
  std::function<QString()> choose_report_folder;
  // where an attachment is saved, offered under its own name; empty when cancelled
  std::function<QString(const QString& name)> choose_attachment_file;
  // the folder all attachments of a message go into; empty when cancelled
  std::function<QString()> choose_attachment_folder;
};

class CMainFrame : public QMainWindow, public WizardFrame {
 public:
  explicit CMainFrame(FrameEnvironment environment = {}, QWidget* parent = nullptr);

  // WizardFrame
  WizardState State() const override { return state_; }
  void SetState(WizardState state) override;
  int ClientHeight() const override;
  void SetPageRow(int row, int ideal_height) override { pages_->SetRowHeight(row, ideal_height); }
  void LayoutPages() override { pages_->LayoutRows(); }
  void ClearCaption() override { caption_->SetText({}); }
  void ClearFolderTree() override;
  void SessionEnding() override { text_search_.Stop(); }
  views::CItemTreeView* FolderTree() override { return tree_; }
  void ShowStoreTree(const store::MailStore& store) override;
  void BrowserOnlyLayout() override;
  void ShowBrowserPage(const QString& file) override;
  session::ScanOptions ScanChoices() const override;

  QAction* Action(int command) const { return actions_.at(command); }
  QToolBar& Toolbar() { return *toolbar_; }
  // Tests look into the Customize dialog while it is open.
  void SetCustomizeHook(std::function<void(QDialog&)> hook) { customize_hook_ = std::move(hook); }
  void Run(int command);
  void ApplyTheme(int theme);
  int Theme() const { return theme_; }
  CViewBottom& ScanPage() { return *scan_page_; }
  CViewSelSaveOpp& SaveOptionPage() { return *save_options_; }
  CViewSave& SaveProgressPage() { return *save_progress_; }
  views::CDispImfoView& ItemList() { return *items_; }
  views::CItemTreeView& FolderTreePane() { return *tree_; }
  toolkit::RowStack& PageStack() { return *pages_; }
  toolkit::RowStack& PreviewStack() { return *preview_; }
  QWidget& HomePagePanel() { return *home_; }
  views::CHtm& Browser() { return *browser_; }
  views::CPreviewUpperView& HeaderPane() { return *header_; }
  views::CAttachView1& AttachmentStrip() { return *strip_; }
  rtf::CRtfView& TextView() { return *text_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateBars();
  void CreatePanes();
  void ApplyPageRows(int height);
  void KeepFrameOnScreen();
  void ApplyBarOptions();
  std::vector<std::pair<QString, std::vector<int>>> CommandCategories() const;
  std::vector<int> CommandsOf(const QMenu& menu) const;
  void OnRepairOrSave(bool repair);
  void OnHelp();
  void OnLinkClicked(const QUrl& url);
  void OnAbout();
  void OnSaveReport();
  void OnCustomize();
  void ExitSequence();
  std::vector<saving::SaveItem> ListedItems();
  void SaveList(const session::RecoverySession& session, const std::string& path,
                const std::vector<saving::SaveItem>& items);
  void SaveAttachment(int index);
  void SearchText(const QString& text);
  void SaveAllAttachments();
  // Completes a request for the scanned file or store; false with `error` set when the
  // store's output folder cannot be made.
  bool PrepareRequest(const session::RecoverySession& session, saving::SaveRequest& request,
                      std::string& error) const;

  // The options of the Customize dialog, kept with the bar layout.
  struct BarOptions {
    bool large_icons = true;
    bool screen_tips = true;
    bool shortcut_keys = false;
  };

  FrameEnvironment environment_;
  BarOptions bar_options_;
  std::function<void(QDialog&)> customize_hook_;
  WizardState state_ = WizardState::ChooseFile;
  int theme_ = 2;
  std::map<int, QAction*> actions_;
  QToolBar* toolbar_ = nullptr;
  QPushButton* home_ = nullptr;
  toolkit::RowStack* pages_ = nullptr;
  toolkit::CaptionBar* caption_ = nullptr;
  views::CItemTreeView* tree_ = nullptr;
  QSplitter* folder_split_ = nullptr;
  views::CDispImfoView* items_ = nullptr;
  toolkit::RowStack* preview_ = nullptr;
  views::CHtm* browser_ = nullptr;
  views::CPreviewUpperView* header_ = nullptr;
  views::CAttachView1* strip_ = nullptr;
  rtf::CRtfView* text_ = nullptr;
  std::unique_ptr<PreviewGenerator> preview_generator_;
  CViewBottom* scan_page_ = nullptr;
  CViewSelSaveOpp* save_options_ = nullptr;
  CViewSave* save_progress_ = nullptr;
  QString start_folder_;
  session::QtCrossing crossing_{this};          // for the printer of a PDF save and the text search
  session::TextSearch text_search_{crossing_};  // of the find bar's "in message text"
};

}  // namespace rescuva::app
