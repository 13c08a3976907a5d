#include "app/main_frame.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/data_folder.h"
#include "app/desktop_handler.h"
#include "app/program_icon.h"
#include "app/report_digest_dialog.h"
#include "msgbox/message_call.h"
#include "platform/scratch_folder.h"
#include "report/chosen_columns.h"
#include "report/report_writer.h"
#include "rescuva/version.h"
#include "saving/attachment_files.h"
#include "saving/output_names.h"
#include "toolkit/themes.h"
#include "views/pdf_printer.h"

namespace rescuva::app {
namespace {

constexpr const char* kHelpFile = "Rescuva for Outlook Express.chm";
constexpr const char* kGuidePage = "help/index.html";
constexpr int kCaptionHeight = 22;
constexpr int kListPaneHeight = 200;
constexpr int kTreePaneWidth = 220;  // the least a store's tree opens with
constexpr int kFrameSettles = 150;   // ms for the window manager to place a restored window

struct CommandText {
  int id;
  const char* caption;
  const char* prompt;
  const char* tip;
};

constexpr CommandText kCommands[] = {
    {kRepair, "&Repair", "Repair", "Repair"},
    {kSave, "&Save", "Save", "Save"},
    {kExit, "E&xit", "Quit the application; prompts to save documents", "Exit"},
    {kToggleToolbar, "&Toolbar", "Show or hide the toolbar", "Toggle ToolBar"},
    {kToggleStatusBar, "&Status Bar", "Show or hide the status bar", "Toggle StatusBar"},
    {kThemeOffice2000, "Office &2000 Theme", "", ""},
    {kThemeOfficeXP, "Office &XP Theme", "", ""},
    {kThemeOffice2003, "Office 200&3 Theme", "", ""},
    {kThemeWindowsXP, "Win XP Theme", "", ""},
    {kLiveUpdate, "Live Update", "Live Update", "Live Update"},
    {kHelp, "Help", "Help", "Help"},
    {kAbout, "&About Rescuva for Outlook Express", "", "About"},
    {kCustomize, "Customize...", "", ""},
    {kFind, "&Find...", "Find messages by sender, recipients, subject or date", "Find"},
    {kShowFragments, "Show fragments",
     "Also list recovered text that has no sender, recipients or subject", ""},
    {kRepairDeleted, "Repair deleted emails",
     "Mend what deleting left in deleted emails when they are shown, saved or scanned", ""},
    {kSaveReport, "Save report...",
     "Save an examiner's report of the last scan: where each email lay, its digests and the "
     "source's",
     ""},
    {kOpenImage, "Open disk image...",
     "Recover every Outlook Express store on a disk image or device, and carve the rest", ""},
    {kRepairStore, "Repair store folder...",
     "Recover every folder of an Outlook Express store folder", ""},
    {kScanNotes, "Scan notes...", "What the last scan could not read, and why", ""},
};

constexpr std::pair<int, int> kThemeCommands[] = {
    {kThemeOffice2000, 0}, {kThemeOfficeXP, 1}, {kThemeOffice2003, 2}, {kThemeWindowsXP, 3}};

QSettings Settings() {
  return QSettings("Rescuva", "Rescuva for Outlook Express");
}

// The toolbar pictures (42 x 35), the project's own artwork.
QIcon ToolbarIcon(int command) {
  QPixmap pixmap(42, 35);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  switch (command) {
    case kRepair:
      painter.setBrush(QColor(0x2E, 0x8B, 0x57));
      painter.setPen(Qt::NoPen);
      painter.drawEllipse(8, 4, 26, 26);
      painter.setPen(QPen(Qt::white, 3));
      painter.drawLine(14, 17, 19, 23);
      painter.drawLine(19, 23, 28, 11);
      break;
    case kSave:
      painter.setBrush(QColor(0x2B, 0x57, 0x9A));
      painter.setPen(Qt::NoPen);
      painter.drawRoundedRect(9, 4, 24, 26, 3, 3);
      painter.setBrush(Qt::white);
      painter.drawRect(14, 6, 14, 9);
      break;
    case kLiveUpdate:
      painter.setPen(QPen(QColor(0xE0, 0x80, 0x10), 4));
      painter.drawArc(9, 5, 24, 24, 30 * 16, 300 * 16);
      break;
    default:
      painter.setBrush(QColor(0x30, 0x70, 0xC0));
      painter.setPen(Qt::NoPen);
      painter.drawEllipse(8, 4, 26, 26);
      painter.setPen(Qt::white);
      painter.setFont(QFont("Sans", 16, QFont::Bold));
      painter.drawText(QRect(8, 4, 26, 26), Qt::AlignCenter, "?");
  }
  return QIcon(pixmap);
}

}  // namespace

CMainFrame::CMainFrame(FrameEnvironment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)) {
  if (!environment_.open) {
    environment_.open = [](const QString& target) {
      return QDesktopServices::openUrl(target.startsWith('/') ? QUrl::fromLocalFile(target)
                                                              : QUrl(target));
    };
  }
  if (!environment_.end_process) environment_.end_process = [] { std::_Exit(0); };
  if (!environment_.has_handler) environment_.has_handler = DesktopHasHandler;
  if (!environment_.choose_report_folder) {
    environment_.choose_report_folder = [this] {
      return QFileDialog::getExistingDirectory(this, "Save report");
    };
  }
  if (!environment_.choose_attachment_file) {
    environment_.choose_attachment_file = [this](const QString& name) {
      return QFileDialog::getSaveFileName(this, "Save attachment as", name);
    };
  }
  if (!environment_.choose_attachment_folder) {
    environment_.choose_attachment_folder = [this] {
      return QFileDialog::getExistingDirectory(this, "Save all attachments");
    };
  }
  const int stored = Settings().value("Settings/Theme", 2).toInt();
  theme_ = stored >= 0 && stored <= 3 ? stored : 2;
  setWindowTitle(msgbox::kApplicationTitle);
  setWindowIcon(ProgramIcon());
  // the normal geometry is the screen's available area: without a window manager, and
  // after a restore, the window is as large as when maximised
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(screen->availableGeometry());
  }
  CreateBars();
  CreatePanes();
  // the home-page button in the top-right corner
  home_ = new QPushButton(this);
  home_->setToolTip("Visit Software Homepage");
  home_->setCursor(Qt::PointingHandCursor);
  home_->setText("Rescuva\nHome page");
  home_->setFlat(true);
  connect(home_, &QPushButton::clicked, this, [this] { environment_.open(msgbox::kHomePage); });
  // bar layouts: "CommandBars3", then "CommandBars2" over it
  QSettings settings = Settings();
  restoreState(settings.value("CommandBars3").toByteArray());
  bar_options_ = {settings.value("CommandBars3/LargeIcons", true).toBool(),
                  settings.value("CommandBars3/ScreenTips", true).toBool(),
                  settings.value("CommandBars3/ShortcutKeys", false).toBool()};
  ApplyBarOptions();
  ApplyTheme(theme_);
  restoreState(settings.value("CommandBars2").toByteArray());
  start_folder_ = QDir::currentPath() + "/";
}

void CMainFrame::CreateBars() {
  for (const CommandText& command : kCommands) {
    auto* action = new QAction(command.caption, this);
    action->setStatusTip(command.prompt);
    if (*command.tip) action->setToolTip(command.tip);
    actions_[command.id] = action;
    const int id = command.id;
    connect(action, &QAction::triggered, this, [this, id] { Run(id); });
  }
  for (int id : {kRepair, kSave, kLiveUpdate, kHelp}) actions_[id]->setIcon(ToolbarIcon(id));
  actions_[kHelp]->setShortcut(QKeySequence::HelpContents);
  actions_[kFind]->setShortcut(QKeySequence::Find);
  QMenu* file = menuBar()->addMenu("&File");
  // a report is of a scan that has ended
  connect(file, &QMenu::aboutToShow, this,
          [this] { actions_[kSaveReport]->setEnabled(scan_page_->ReportReady()); });
  file->addActions({actions_[kRepair], actions_[kRepairStore], actions_[kOpenImage],
                    actions_[kSave], actions_[kSaveReport], actions_[kExit]});
  QMenu* tools = menuBar()->addMenu("&Tools");
  tools->addActions({actions_[kToggleToolbar], actions_[kToggleStatusBar]});
  tools->addSeparator();
  QMenu* theme = tools->addMenu("Theme");
  for (auto [id, value] : kThemeCommands) {
    actions_[id]->setCheckable(true);
    theme->addAction(actions_[id]);
  }
  tools->addAction(actions_[kFind]);
  for (int id : {kShowFragments, kRepairDeleted}) {
    actions_[id]->setCheckable(true);
    tools->addAction(actions_[id]);
  }
  tools->addAction(actions_[kScanNotes]);
  tools->addAction(actions_[kLiveUpdate]);
  tools->addAction(actions_[kCustomize]);
  QMenu* help = menuBar()->addMenu("&Help");
  help->addActions({actions_[kHelp], actions_[kAbout]});

  toolbar_ = addToolBar("Standard");
  toolbar_->setObjectName("Standard");
  toolbar_->setIconSize(QSize(42, 35));
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar_->addActions(
      {actions_[kRepair], actions_[kSave], actions_[kLiveUpdate], actions_[kHelp]});
  for (int id : {kToggleToolbar, kToggleStatusBar}) {
    actions_[id]->setCheckable(true);
    actions_[id]->setChecked(true);
  }

  auto* logo = new QLabel(msgbox::kApplicationTitle);
  QFont bold = logo->font();
  bold.setBold(true);
  logo->setFont(bold);
  logo->setFrameStyle(QFrame::Panel | QFrame::Raised);
  logo->setFixedWidth(logo->fontMetrics().horizontalAdvance(logo->text()) + 2 +
                      2 * logo->frameWidth());
  statusBar()->addWidget(logo);
  statusBar()->addWidget(new QLabel("Ready"), 1);
  for (const char* indicator : {"CAP", "NUM", "SCRL"})
    statusBar()->addPermanentWidget(new QLabel(indicator));
}

void CMainFrame::CreatePanes() {
  // results area: the caption bar over the folder split
  auto* results = new QWidget;
  caption_ = new toolkit::CaptionBar({}, results);
  caption_->SetIcon(windowIcon());
  QFont caption_font = caption_->font();
  caption_font.setPixelSize(18);
  caption_->setFont(caption_font);
  caption_->SetColours(palette().color(QPalette::Button), palette().color(QPalette::Mid),
                       palette().color(QPalette::Base));
  auto* folder_split = new QSplitter(Qt::Horizontal, results);
  folder_split_ = folder_split;
  tree_ = new views::CItemTreeView;
  auto* list_split = new QSplitter(Qt::Vertical);
  items_ = new views::CDispImfoView;
  preview_ = new toolkit::RowStack;
  header_ = new views::CPreviewUpperView;
  strip_ = new views::CAttachView1;
  browser_ = new views::CHtm;
  text_ = new rtf::CRtfView;
  preview_->AddRow(header_, 50);
  preview_->AddRow(strip_, 50);
  preview_->AddRow(browser_, 0);
  preview_->AddRow(text_, 0);
  for (int row = 4; row < views::kPreviewRows; ++row) preview_->AddRow(new QWidget, 0);
  list_split->addWidget(items_);
  list_split->addWidget(preview_);
  list_split->setSizes({kListPaneHeight, 400});
  folder_split->addWidget(tree_);
  folder_split->addWidget(list_split);
  folder_split->setSizes({0, 1000});
  // what the splitter gains goes to the list, so a closed tree stays closed
  folder_split->setStretchFactor(0, 0);
  folder_split->setStretchFactor(1, 1);
  auto* results_layout = new QVBoxLayout(results);
  results_layout->setContentsMargins(0, 0, 0, 0);
  results_layout->setSpacing(0);
  caption_->setFixedHeight(kCaptionHeight);
  results_layout->addWidget(caption_);
  results_layout->addWidget(folder_split);

  pages_ = new toolkit::RowStack;
  scan_page_ = new CViewBottom(*this, *items_);
  save_progress_ = new CViewSave(*this, [this] {
    save_options_->OnBack();
    scan_page_->OnBack();
  });
  save_progress_->SetOnSaved(
      [this](const saving::SaveReport& report) { scan_page_->NoteSaved(report.saved_as); });
  save_options_ = new CViewSelSaveOpp(
      *this, [this] { return ListedItems(); },
      [this](saving::SaveRequest request, std::vector<saving::SaveItem> items) {
        request.repair = ScanChoices().repair;
        const session::RecoverySession* session = scan_page_->Session();
        if (!session) return false;
        if (request.format == saving::SaveFormat::SaveAsCsv) {
          SaveList(*session, request.destination, items);
          return false;
        }
        if (request.format == saving::SaveFormat::SaveAsPdf) {
          request.printer = std::make_shared<views::PdfPrinter>(crossing_);
        }
        std::string error;
        if (!PrepareRequest(*session, request, error)) {
          msgbox::ShowApplicationMessage(msgbox::EscapeMarkup(error), msgbox::MB_ICONEXCLAMATION);
          return false;
        }
        save_progress_->Start(
            [session](int folder) -> const engine::MessageSource& {
              return session->Source(folder);
            },
            std::move(request), std::move(items));
        return true;
      });
  tree_->SetOnFolderChosen([this](int folder) {
    items_->List().Model().SetFolder(folder < 0 ? std::nullopt : std::optional<int>(folder));
  });
  pages_->AddRow(results, 0);
  pages_->AddRow(scan_page_, kScanPageHeight);
  pages_->AddRow(save_options_, 0);
  pages_->AddRow(save_progress_, 0);
  pages_->SetOnResize([this](int height) { ApplyPageRows(height); });
  setCentralWidget(pages_);
  tree_->Tree().setFocus();
  browser_->SetOnLinkClicked([this](const QUrl& url) { OnLinkClicked(url); });
  items_->SetTextSearch([this](const QString& text) { SearchText(text); });
  strip_->SetOnSave([this](int index) { SaveAttachment(index); }, [this] { SaveAllAttachments(); });
  preview_generator_ = std::make_unique<PreviewGenerator>(
      *header_, *strip_, *browser_, *text_, *preview_, [this] { return scan_page_->Session(); });
  views::CMailListCtrl& list = items_->List();
  list.SetPreviewRequest([this, &list](bool by_click, int clicked_row) {
    preview_generator_->PreviewSelectedRow(list.Model(), list.SelectionMark(), by_click,
                                           clicked_row);
  });
}

std::vector<saving::SaveItem> CMainFrame::ListedItems() {
  views::CMailListCtrl& list = items_->List();
  const auto& model = list.Model();
  std::vector<saving::SaveItem> items;
  // every row, also those the find bar hides; "selected" are highlighted shown rows
  for (int index = 0; index < model.AllRowCount(); ++index) {
    items.push_back(saving::ItemOf(model.AllRowAt(index)));
  }
  for (int row : list.SelectedRows()) {
    items[static_cast<size_t>(model.AllIndexOf(row))].selected = true;
  }
  // a folder chosen in a store's tree is saved alone
  const int chosen = tree_->ChosenFolder();
  if (chosen >= 0) {
    std::erase_if(items, [chosen](const saving::SaveItem& item) { return item.folder != chosen; });
  }
  return items;
}

// The listed rows the items name, in the list's order, as a spreadsheet; said in a
// message either way.
void CMainFrame::SaveList(const session::RecoverySession& session, const std::string& path,
                          const std::vector<saving::SaveItem>& items) {
  std::set<std::pair<int, uint64_t>> chosen;
  for (const saving::SaveItem& item : items) chosen.insert({item.folder, item.offset});
  const views::MessageListModel& model = items_->List().Model();
  std::vector<const catalogue::CatalogueRow*> rows;
  for (int index = 0; index < model.AllRowCount(); ++index) {
    const catalogue::CatalogueRow& row = model.AllRowAt(index);
    if (chosen.contains({row.folder, row.offset})) rows.push_back(&row);
  }
  const store::MailStore& store = session.Store();
  const std::string error =
      report::WriteCsvFile(path, report::AllColumns(), rows, [&store](int folder) {
        return folder < 0 ? std::string() : store.PathText(static_cast<size_t>(folder));
      });
  if (!error.empty()) {
    msgbox::ShowApplicationMessage(msgbox::EscapeMarkup(error), msgbox::MB_ICONEXCLAMATION);
    return;
  }
  msgbox::ShowApplicationMessage(msgbox::EscapeMarkup("The list of " + std::to_string(rows.size()) +
                                                      " emails was saved to " + path),
                                 msgbox::MB_ICONINFORMATION);
}

// A store's save is a tree of its folders in a new folder "Recovered Emails" where the
// page would have put one folder file (EML files go into the chosen folder itself); a
// single file's folder file takes the folder name the scanned file gives.
bool CMainFrame::PrepareRequest(const session::RecoverySession& session,
                                saving::SaveRequest& request, std::string& error) const {
  const store::MailStore& store = session.Store();
  if (store.folders.empty()) {
    request.folder_name = saving::FolderNameOf(scan_page_->PathBox().text().toStdString());
    return true;
  }
  for (const auto& folder : store.folders) {
    request.folders.push_back({folder.name, folder.parent, folder.special});
  }
  if (request.format == saving::SaveFormat::SaveAsDbx) {
    const std::filesystem::path file(request.destination);
    request.destination =
        saving::CreateUniqueFolder(file.parent_path().string(), file.stem().string(), error);
    return !request.destination.empty();
  }
  return true;
}

// A link in a recovered message leaves the program only when the user says so, and
// only for the web or mail: the address is shown as text first.
void CMainFrame::OnLinkClicked(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme != "http" && scheme != "https" && scheme != "mailto") return;
  const std::string address = url.toString(QUrl::FullyEncoded).toStdString();
  if (msgbox::ShowApplicationMessage(
          "Open this link of the message outside the program?<br>" + msgbox::EscapeMarkup(address),
          msgbox::MB_YESNO | msgbox::MB_ICONQUESTION) == msgbox::IDYES) {
    environment_.open(QString::fromStdString(address));
  }
}

void CMainFrame::ClearFolderTree() {
  tree_->Clear();
  folder_split_->setSizes({0, 1000});
}

// A store's tree opens the pane that a file's scan leaves closed.
void CMainFrame::ShowStoreTree(const store::MailStore& store) {
  tree_->ShowStore(store);
  const QList<int> sizes = folder_split_->sizes();
  if (!sizes.isEmpty() && sizes[0] == 0) {
    const int fitting = std::clamp(tree_->WidthForNames(), kTreePaneWidth,
                                   std::max(kTreePaneWidth, width() * 2 / 5));
    folder_split_->setSizes({fitting, std::max(1, width() - fitting)});
  }
}

void CMainFrame::BrowserOnlyLayout() {
  for (int row = 0; row < views::kPreviewRows; ++row) {
    preview_->SetRowHeight(row, row == views::kBrowserRow ? 3000 : 0);
  }
  preview_->LayoutRows();
}

void CMainFrame::ShowBrowserPage(const QString& file) {
  browser_->Navigate(file);
}

session::ScanOptions CMainFrame::ScanChoices() const {
  session::ScanOptions options;
  options.fragments = actions_.at(kShowFragments)->isChecked();
  if (actions_.at(kRepairDeleted)->isChecked()) options.repair = engine::Repair::kDeletedBlocks;
  return options;
}

void CMainFrame::SetState(WizardState state) {
  state_ = state;
  scan_page_->update();
}

int CMainFrame::ClientHeight() const {
  return pages_->height();
}

// Restored from maximised, the window keeps its title bar on the screen: the normal
// geometry is the available area, which the window manager's frame would overhang.
void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) return;
  QTimer::singleShot(kFrameSettles, this, [this] { KeepFrameOnScreen(); });
}

void CMainFrame::KeepFrameOnScreen() {
  const QScreen* shown_on = screen();
  if (!shown_on || windowState() != Qt::WindowNoState) return;
  const QRect available = shown_on->availableGeometry();
  const QRect frame = frameGeometry(), inner = geometry();
  if (available.contains(frame)) return;
  const QMargins border(inner.left() - frame.left(), inner.top() - frame.top(),
                        frame.right() - inner.right(), frame.bottom() - inner.bottom());
  setGeometry(available.marginsRemoved(border));
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  home_->setGeometry(width() - 170, 24, 160, 52);
  home_->raise();
}

// The wizard's rows for the page stack's height: applied whenever that height
// changes, also when bars are shown or hidden, so no hidden page ever gets room.
void CMainFrame::ApplyPageRows(int height) {
  const auto rows = PageRowHeights(state_, height);
  for (int row = 0; row < 3; ++row) pages_->SetRowHeight(row, rows[static_cast<size_t>(row)]);
  if (state_ == WizardState::SaveProgress) pages_->SetRowHeight(3, rows[3]);
}

void CMainFrame::Run(int command) {
  switch (command) {
    case kRepair:
      OnRepairOrSave(true);
      break;
    case kSave:
      OnRepairOrSave(false);
      break;
    case kExit:
      close();
      break;
    case kToggleToolbar:
      toolbar_->setVisible(actions_[kToggleToolbar]->isChecked());
      break;
    case kToggleStatusBar:
      statusBar()->setVisible(actions_[kToggleStatusBar]->isChecked());
      break;
    case kLiveUpdate:
      msgbox::ShowApplicationMessage(
          std::string(msgbox::kApplicationTitle) + " " + rescuva::kVersion +
              " is installed. New versions are published on the home page, " + msgbox::kHomePage,
          msgbox::MB_ICONINFORMATION);
      break;
    case kHelp:
      OnHelp();
      break;
    case kAbout:
      OnAbout();
      break;
    case kCustomize:
      OnCustomize();
      break;
    case kFind:
      items_->ShowFindBar();
      break;
    case kShowFragments:
      scan_page_->ShowFragments(actions_[kShowFragments]->isChecked());
      break;
    case kRepairDeleted:
      preview_generator_->SetRepair(ScanChoices().repair);
      break;
    case kRepairStore:
      scan_page_->OnBrowseStore();
      break;
    case kOpenImage:
      scan_page_->OnBrowseImage();
      break;
    case kScanNotes:
      scan_page_->ShowScanNotes();
      break;
    case kSaveReport:
      OnSaveReport();
      break;
    default:
      for (auto [id, value] : kThemeCommands) {
        if (id == command) ApplyTheme(value);
      }
  }
}

// Each check reads the state anew: a page action can make a later check apply.
void CMainFrame::OnRepairOrSave(bool repair) {
  if (repair && state_ == WizardState::ChooseFile) scan_page_->OnScan();
  if (state_ == WizardState::SaveProgress && save_progress_->FinishVisible())
    save_progress_->OnFinish();
  if (state_ == WizardState::SaveOptions && save_options_->SaveVisible()) save_options_->OnSave();
  if (state_ == WizardState::Results && scan_page_->ScanButton().isVisible()) scan_page_->OnScan();
}

void CMainFrame::ApplyTheme(int theme) {
  theme_ = theme;
  for (auto [id, value] : kThemeCommands) actions_[id]->setChecked(value == theme);
  const QString sheet = toolkit::ThemeStyleSheet(theme);
  menuBar()->setStyleSheet(sheet);
  toolbar_->setStyleSheet(sheet);
  statusBar()->setStyleSheet(theme == toolkit::kOffice2003 ? QString() : sheet);
  caption_->SetStyle(theme == toolkit::kOffice2003 || theme == toolkit::kWindowsXP
                         ? 2
                         : toolkit::ControlTheme(theme));
  tree_->Caption().SetStyle(theme == toolkit::kOffice2003 ? 2 : toolkit::ControlTheme(theme));
  update();
}

// The help file is looked for in the start folder, else where the program's files are.
// A machine without a viewer of .chm files gets the guide's HTML pages: in the
// system's browser, else in a browser view of the program's own. A file is given to
// the desktop only when it names a program for it: its opener succeeds either way.
void CMainFrame::OnHelp() {
  const QString help = FolderHolding(start_folder_, kHelpFile) + kHelpFile;
  if (!QFileInfo::exists(help)) {
    msgbox::ShowApplicationMessage(
        std::string(kHelpFile) + " file not exist, please reinstall software ",
        msgbox::MB_ICONEXCLAMATION);
    return;
  }
  if (environment_.has_handler(help) && environment_.open(help)) return;
  const QString guide = FolderHolding(start_folder_, kGuidePage) + kGuidePage;
  if (!QFileInfo::exists(guide)) return;
  if (environment_.has_handler(guide) && environment_.open(guide)) return;
  QDialog pages(this);
  pages.setWindowTitle(QString(msgbox::kApplicationTitle) + " Help");
  pages.resize(800, 600);
  auto* view = new views::CHtm(&pages);
  view->FollowLocalLinks();  // the guide's pages link to each other
  auto* layout = new QVBoxLayout(&pages);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view);
  view->Navigate(guide);
  pages.exec();
}

void CMainFrame::OnSaveReport() {
  std::vector<catalogue::CatalogueRow> rows;
  auto input = scan_page_->ReportOfScan(rows);
  if (!input) {
    msgbox::ShowApplicationMessage("A report can be saved once a scan has ended.",
                                   msgbox::MB_ICONINFORMATION);
    return;
  }
  const QString folder = environment_.choose_report_folder();
  if (folder.isEmpty()) return;
  // the scan took neither the messages' digests nor the sources'
  session::ScanOutcome scanned = *input->outcome;
  input->outcome = &scanned;
  if (const session::RecoverySession* session = scan_page_->Session();
      session && !ReportDigestDialog(this).Run(*session, rows, scanned.files)) {
    msgbox::ShowApplicationMessage("The report was not saved: its digests were stopped.",
                                   msgbox::MB_ICONINFORMATION);
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const report::ReportOutcome outcome = report::WriteReport(*input, folder.toStdString());
  QApplication::restoreOverrideCursor();
  if (!outcome.Ok()) {
    msgbox::ShowApplicationMessage(msgbox::EscapeMarkup(outcome.error), msgbox::MB_ICONEXCLAMATION);
    return;
  }
  msgbox::ShowApplicationMessage("The report was saved in " +
                                     msgbox::EscapeMarkup(folder.toStdString()) +
                                     ": report.dfxml, messages.csv, timeline.body and index.html.",
                                 msgbox::MB_ICONINFORMATION);
}

// Every listed message, hidden ones too, read again for the find bar's text.
void CMainFrame::SearchText(const QString& text) {
  const session::RecoverySession* session = scan_page_->Session();
  if (!session) return;
  const views::MessageListModel& model = items_->List().Model();
  std::vector<catalogue::MessageKey> keys;
  keys.reserve(static_cast<size_t>(model.AllRowCount()));
  for (int index = 0; index < model.AllRowCount(); ++index) {
    keys.emplace_back(model.AllRowAt(index).folder, model.AllRowAt(index).offset);
  }
  text_search_.Start(*session, ScanChoices().repair, std::move(keys), text.toStdString(),
                     [this](std::set<catalogue::MessageKey> found) {
                       items_->List().Model().SetTextMatches(std::move(found));
                     });
}

// The attachment is written where the user says, the file dialog having asked before
// replacing a file.
void CMainFrame::SaveAttachment(int index) {
  std::optional<int64_t> date;
  const auto attachments = preview_generator_->PreviewedAttachments(date);
  if (index < 0 || static_cast<size_t>(index) >= attachments.size()) return;
  const loader::Attachment& attachment = attachments[static_cast<size_t>(index)];
  const QString path = environment_.choose_attachment_file(QString::fromStdString(attachment.name));
  if (path.isEmpty()) return;
  platform::OutputFile file;
  const bool written = file.Create(path.toStdString(), false) &&
                       file.Write({reinterpret_cast<const uint8_t*>(attachment.content.data()),
                                   attachment.content.size()}) &&
                       file.Close();
  if (!written) {
    msgbox::ShowApplicationMessage(
        msgbox::EscapeMarkup("Cannot write " + path.toStdString() + ": " + file.Error()),
        msgbox::MB_ICONEXCLAMATION);
  }
}

// Every attachment of the message shown, by its own name made safe, beside what the
// folder holds.
void CMainFrame::SaveAllAttachments() {
  std::optional<int64_t> date;
  const auto attachments = preview_generator_->PreviewedAttachments(date);
  if (attachments.empty()) return;
  const QString path = environment_.choose_attachment_folder();
  if (path.isEmpty()) return;
  platform::OutputFolder folder;
  std::string error;
  if (!folder.Open(path.toStdString())) {
    error = folder.Error();
  } else if (saving::WriteAttachments(folder, attachments, "", date, error)) {
    return;
  }
  msgbox::ShowApplicationMessage(msgbox::EscapeMarkup(error), msgbox::MB_ICONEXCLAMATION);
}

void CMainFrame::OnAbout() {
  QDialog about(this);
  about.setWindowTitle("About Rescuva for Outlook Express");
  about.setFixedSize(456, 339);
  auto* picture = new QLabel(&about);
  QPixmap art(456, 339);
  {
    QPainter painter(&art);
    QLinearGradient gradient(0, 0, 0, 339);
    gradient.setColorAt(0, QColor(0x2B, 0x57, 0x9A));
    gradient.setColorAt(1, QColor(0xD8, 0xE7, 0xFC));
    painter.fillRect(art.rect(), gradient);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 8));
    painter.drawEllipse(QPoint(360, 90), 60, 60);
  }
  picture->setPixmap(art);
  picture->setGeometry(0, 0, 456, 339);
  auto* text = new QLabel(
      QString("<b>%1</b><br>Version %2").arg(msgbox::kApplicationTitle, rescuva::kVersion), &about);
  text->setAlignment(Qt::AlignCenter);
  text->setGeometry(0, 120, 456, 60);
  text->setStyleSheet("color: white; font-size: 16px;");
  auto* ok = new QPushButton("OK", &about);
  ok->setGeometry(188, 290, 80, 28);
  connect(ok, &QPushButton::clicked, &about, &QDialog::accept);
  about.exec();
}

// The options page changes the bars at once; the exit sequence stores the options with
// the bar layout. The commands page lists the commands of the chosen category.
void CMainFrame::OnCustomize() {
  QDialog dialog(this);
  dialog.setWindowTitle("Customize");
  auto* tabs = new QTabWidget(&dialog);
  auto* options = new QWidget;
  auto* options_layout = new QVBoxLayout(options);
  auto option = [&](const char* label, bool& value) {
    auto* box = new QCheckBox(label);
    box->setChecked(value);
    connect(box, &QCheckBox::toggled, this, [this, &value](bool on) {
      value = on;
      ApplyBarOptions();
    });
    options_layout->addWidget(box);
  };
  option("Large icons", bar_options_.large_icons);
  option("Show ScreenTips on toolbars", bar_options_.screen_tips);
  option("Show shortcut keys in ScreenTips", bar_options_.shortcut_keys);
  options_layout->addStretch();
  tabs->addTab(options, "Options");
  auto* commands_page = new QWidget;
  auto* commands_layout = new QHBoxLayout(commands_page);
  auto* categories = new QListWidget;
  auto* commands = new QListWidget;
  commands->setObjectName("commands");
  for (const auto& [category, ids] : CommandCategories()) categories->addItem(category);
  connect(categories, &QListWidget::currentRowChanged, commands, [this, commands](int row) {
    commands->clear();
    const auto all = CommandCategories();
    if (row < 0 || row >= static_cast<int>(all.size())) return;
    for (int id : all[static_cast<size_t>(row)].second) {
      commands->addItem(
          new QListWidgetItem(actions_[id]->icon(), QString(actions_[id]->text()).remove('&')));
    }
  });
  categories->setCurrentRow(0);
  commands_layout->addWidget(categories);
  commands_layout->addWidget(commands, 1);
  tabs->addTab(commands_page, "Commands");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
  if (customize_hook_) {
    QTimer::singleShot(0, &dialog, [this, &dialog] { customize_hook_(dialog); });
  }
  dialog.exec();
}

// The ids of the commands of a menu and of its submenus, in menu order.
std::vector<int> CMainFrame::CommandsOf(const QMenu& menu) const {
  std::vector<int> ids;
  for (QAction* action : menu.actions()) {
    if (action->menu()) {
      const auto inner = CommandsOf(*action->menu());
      ids.insert(ids.end(), inner.begin(), inner.end());
    }
    for (const auto& [id, known] : actions_) {
      if (known == action) ids.push_back(id);
    }
  }
  return ids;
}

// The categories of the commands page: the top-level menus, then all commands and an
// empty new menu.
std::vector<std::pair<QString, std::vector<int>>> CMainFrame::CommandCategories() const {
  std::vector<std::pair<QString, std::vector<int>>> categories;
  std::vector<int> all;
  for (QAction* menu : menuBar()->actions()) {
    const std::vector<int> ids = CommandsOf(*menu->menu());
    all.insert(all.end(), ids.begin(), ids.end());
    categories.emplace_back(QString(menu->text()).remove('&'), ids);
  }
  categories.emplace_back("All Commands", all);
  categories.emplace_back("New Menu", std::vector<int>{});
  return categories;
}

void CMainFrame::ApplyBarOptions() {
  toolbar_->setIconSize(bar_options_.large_icons ? QSize(42, 35) : QSize(16, 16));
  for (const auto& [id, action] : actions_) {
    QString tip = bar_options_.screen_tips ? action->toolTip() : QString();
    if (!tip.isEmpty() && bar_options_.shortcut_keys && !action->shortcut().isEmpty()) {
      tip += " (" + action->shortcut().toString(QKeySequence::NativeText) + ")";
    }
    if (QWidget* button = toolbar_->widgetForAction(action)) button->setToolTip(tip);
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  event->ignore();
  ExitSequence();
}

// A running save is stopped and its output closed whole before the process ends; the
// question says so. The scratch folders go before the immediate exit.
void CMainFrame::ExitSequence() {
  const bool saving = save_progress_->Saving();
  const std::string question =
      saving ? "Emails are being saved. Saving stops, and what was saved so far is kept whole."
               "<br>Do you really want to exit"
             : "Do you really want to exit";
  if (msgbox::ShowApplicationMessage(question, msgbox::MB_YESNO | msgbox::MB_ICONQUESTION) !=
      msgbox::IDYES) {
    return;
  }
  QSettings settings = Settings();
  settings.setValue("CommandBars3", saveState());
  settings.setValue("CommandBars3/LargeIcons", bar_options_.large_icons);
  settings.setValue("CommandBars3/ScreenTips", bar_options_.screen_tips);
  settings.setValue("CommandBars3/ShortcutKeys", bar_options_.shortcut_keys);
  settings.setValue("Settings/Theme", theme_);
  scan_page_->RequestStop();
  save_progress_->StopAndWait();
  if (state_ == WizardState::SaveProgress) save_progress_->OnBack();
  if (state_ == WizardState::SaveOptions) save_options_->OnBack();
  if (state_ == WizardState::Results) scan_page_->OnBack();
  environment_.open(msgbox::kHomePage);
  settings.sync();
  platform::RemoveOwnScratchFolders();
  environment_.end_process();
}

}  // namespace rescuva::app
