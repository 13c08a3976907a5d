#include "app/view_bottom.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <iterator>

#include "app/data_folder.h"
#include "app/page_look.h"
#include "app/scan_page_layout.h"
#include "catalogue/message_catalogue.h"
#include "msgbox/message_call.h"
#include "report/report_text.h"
#include "session/scan_outcome_text.h"

namespace rescuva::app {
namespace {

const QColor kPageColour(0xD8, 0xE7, 0xFC);  // COLORREF 0xFCE7D8
constexpr const char* kFilter =
    "Outlook Express File(*.dbx) (*.dbx);;Outlook Express File(*.mbx) (*.mbx);; All Files(*.*) (*)";

QLabel* TextLine(QWidget* parent, const QColor& background) {
  auto* label = new QLabel(parent);
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(palette);
  return label;
}

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CViewBottom::CViewBottom(WizardFrame& frame, views::CDispImfoView& items, QWidget* parent)
    : QWidget(parent),
      frame_(frame),
      items_(items),
      status_(TextLine(this, kPageColour)),
      counter_(TextLine(this, kPageColour)),
      path_(new QLineEdit(this)),
      prompt_(TextLine(this, Qt::white)),
      browse_(new QPushButton("...", this)),
      store_(new QPushButton("Repair store folder...", this)),
      image_(new QPushButton("Open disk image...", this)),
      scan_(PageButton("Scan", ButtonPicture::kForward, this)),
      back_(PageButton("Back", ButtonPicture::kBack, this)),
      stop_button_(PageButton("Stop", ButtonPicture::kStop, this)),
      progress_(new QProgressBar(this)) {
  prompt_->setText("Please select file to repair");
  counter_->setText(QString::fromStdString(catalogue::CounterText(0)));
  progress_->setRange(0, 100);
  progress_->setTextVisible(false);
  page_folder_ = FolderHolding(QDir::currentPath() + "/", "progress.html");
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowse(); });
  connect(store_, &QPushButton::clicked, this, [this] { OnBrowseStore(); });
  connect(image_, &QPushButton::clicked, this, [this] { OnBrowseImage(); });
  connect(scan_, &QPushButton::clicked, this, [this] { OnScan(); });
  connect(back_, &QPushButton::clicked, this, [this] { OnBack(); });
  connect(stop_button_, &QPushButton::clicked, this, [this] { OnStop(); });
  ShowFileChoice();
}

// The session stops its worker and waits for it; nothing it sends arrives afterwards.
CViewBottom::~CViewBottom() = default;

const engine::DbxRecoveryEngine* CViewBottom::Engine() const {
  return session_ ? &session_->Engine() : nullptr;
}

void CViewBottom::RequestStop() {
  if (session_) session_->RequestStop();
}

// A batch of rows, inserted above all others, the last listed on top.
void CViewBottom::ShowRows(std::vector<catalogue::CatalogueRow>& rows) {
  auto& model = items_.List().Model();
  const auto is_fragment = [](const catalogue::CatalogueRow& row) { return row.fragment; };
  if (!fragments_shown_ && std::any_of(rows.begin(), rows.end(), is_fragment)) {
    const auto fragments =
        std::stable_partition(rows.begin(), rows.end(), std::not_fn(is_fragment));
    std::move(fragments, rows.end(), std::back_inserter(hidden_fragments_));
    rows.erase(fragments, rows.end());
  }
  if (views::CItemTreeView* tree = frame_.FolderTree()) tree->Count(rows);
  model.AddRows(rows);
  ShowCounter();
}

// Every listed row counts, whatever the find bar or the folder tree shows of them.
void CViewBottom::ShowCounter() {
  counter_->setText(QString::fromStdString(
      catalogue::CounterText(static_cast<size_t>(items_.List().Model().AllRowCount()))));
}

void CViewBottom::ShowFragments(bool shown) {
  if (shown == fragments_shown_) return;
  fragments_shown_ = shown;
  auto& model = items_.List().Model();
  if (shown) {
    std::vector<catalogue::CatalogueRow> rows = std::move(hidden_fragments_);
    hidden_fragments_.clear();
    ShowRows(rows);
    return;
  }
  std::vector<catalogue::CatalogueRow> taken = model.TakeFragments();
  hidden_fragments_.insert(hidden_fragments_.begin(), std::make_move_iterator(taken.begin()),
                           std::make_move_iterator(taken.end()));
  if (counter_->isVisible()) ShowCounter();
}

void CViewBottom::ShowFileChoice() {
  for (QWidget* scan_control : {static_cast<QWidget*>(back_), static_cast<QWidget*>(stop_button_),
                                static_cast<QWidget*>(progress_), static_cast<QWidget*>(counter_),
                                static_cast<QWidget*>(status_)}) {
    scan_control->hide();
  }
  for (QWidget* choice : {static_cast<QWidget*>(path_), static_cast<QWidget*>(browse_),
                          static_cast<QWidget*>(store_), static_cast<QWidget*>(image_),
                          static_cast<QWidget*>(scan_), static_cast<QWidget*>(prompt_)}) {
    choice->show();
  }
  scan_->setText("Scan");
}

void CViewBottom::resizeEvent(QResizeEvent*) {
  const ScanPageLayout layout = LayoutScanPage(width(), height());
  counter_->setGeometry(layout.counter);
  status_->setGeometry(layout.status);
  progress_->setGeometry(layout.progress);
  prompt_->setGeometry(layout.prompt);
  path_->setGeometry(layout.path);
  browse_->setGeometry(layout.browse);
  store_->setGeometry(layout.store);
  image_->setGeometry(layout.image);
  scan_->setGeometry(layout.scan);
  back_->setGeometry(layout.back);
  stop_button_->setGeometry(layout.stop);
}

void CViewBottom::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool choosing = frame_.State() == WizardState::ChooseFile;
  painter.fillRect(rect(), choosing ? QColor(Qt::white) : kPageColour);
  if (choosing) DrawBanner(painter);
}

void CViewBottom::OnBrowse() {
  // each filter shows its described text, its pattern once
  const QString chosen = QFileDialog::getOpenFileName(this, QString(), QString(), kFilter, nullptr,
                                                      QFileDialog::HideNameFilterDetails);
  if (chosen.isEmpty()) return;
  const QString upper = chosen.toUpper();
  if (upper.contains(".DBX") || upper.contains(".MBX")) {
    path_->setText(chosen);
    return;
  }
  msgbox::ShowApplicationMessage("Please select Outlook Express file", msgbox::MB_ICONINFORMATION);
  path_->clear();
}

void CViewBottom::OnBrowseStore() {
  if (frame_.State() != WizardState::ChooseFile) return;
  const QString chosen = QFileDialog::getExistingDirectory(this, "Repair store folder");
  if (!chosen.isEmpty()) ScanStore(chosen);
}

void CViewBottom::ScanStore(const QString& folder) {
  if (frame_.State() != WizardState::ChooseFile) return;
  path_->setText(folder);
  BeginScan(folder, ScanKind::kStore);
}

void CViewBottom::OnBrowseImage() {
  if (frame_.State() != WizardState::ChooseFile) return;
  const QString chosen = QFileDialog::getOpenFileName(
      this, "Open disk image", QString(),
      "Disk images (*.img *.dd *.raw *.001 *.E01 *.e01);;All Files(*.*) (*)");
  if (!chosen.isEmpty()) ScanImage(chosen);
}

void CViewBottom::ScanImage(const QString& path) {
  if (frame_.State() != WizardState::ChooseFile) return;
  path_->setText(path);
  BeginScan(path, ScanKind::kImage);
}

void CViewBottom::OnScan() {
  if (frame_.State() == WizardState::Results) {
    if (scanning_) return;  // the button shows only when the scan has ended
    frame_.SetState(WizardState::SaveOptions);
    const auto rows = PageRowHeights(WizardState::SaveOptions, frame_.ClientHeight());
    for (int row = 0; row < 3; ++row) frame_.SetPageRow(row, rows[static_cast<size_t>(row)]);
    frame_.LayoutPages();
    return;
  }
  if (frame_.State() != WizardState::ChooseFile) return;
  const QString path = path_->text();
  if (path.isEmpty() || !QFileInfo::exists(path)) {
    OnBrowse();
    return;
  }
  // a folder typed here is opened as a file, as always; a store is chosen as a store
  BeginScan(path, ScanKind::kFile);
}

void CViewBottom::BeginScan(const QString& path, ScanKind kind) {
  frame_.ClearCaption();
  frame_.SetState(WizardState::Results);
  frame_.SetPageRow(0, std::max(0, frame_.ClientHeight() - kScanPageHeight));
  frame_.LayoutPages();
  for (QWidget* choice : {static_cast<QWidget*>(path_), static_cast<QWidget*>(browse_),
                          static_cast<QWidget*>(store_), static_cast<QWidget*>(image_),
                          static_cast<QWidget*>(scan_), static_cast<QWidget*>(prompt_)}) {
    choice->hide();
  }
  stop_button_->show();
  counter_->show();
  status_->show();
  items_.EmptyAllLists();
  items_.HideAllLists();
  frame_.BrowserOnlyLayout();
  counter_->setText(QString::fromStdString(catalogue::CounterText(0)));
  progress_->setValue(0);
  progress_->show();
  scan_->setText("Save");
  back_->hide();
  update();

  // the progress page replaces the previous file's message at once
  frame_.ShowBrowserPage(page_folder_ + "progress.html");
  items_.ShowMessageList();
  session::SessionEvents events;
  events.status = [this](const std::string& text) {
    status_->setText(QString::fromStdString(text));
  };
  events.progress = [this](int position) {
    // drawn with the window's next paint: a bar repaints itself at once on each new value
    progress_->setUpdatesEnabled(false);
    progress_->setValue(position);
    progress_->setUpdatesEnabled(true);
  };
  events.rows = [this](std::vector<catalogue::CatalogueRow>& rows) { ShowRows(rows); };
  events.finished = [this](const session::ScanOutcome& outcome) { ScanEnded(outcome); };
  events.store = [this](const store::MailStore& store) { frame_.ShowStoreTree(store); };
  frame_.SessionEnding();
  session_.reset();
  session_ = std::make_unique<session::RecoverySession>(crossing_, std::move(events));
  scanning_ = true;
  hidden_fragments_.clear();
  notes_.clear();
  outcome_.reset();
  saved_.clear();
  std::vector<std::string> arguments;
  for (const QString& argument : QCoreApplication::arguments()) {
    arguments.push_back(argument.toStdString());
  }
  run_ = {path.toStdString(), report::CommandLine(arguments), NowSeconds(), 0};
  // fragments are always listed; whether they show is the list's choice; a report can
  // be saved of any scan: where each message lay is taken as it is read, the digests of
  // the messages and of their sources only when a report is saved, but a disk image's
  // as it is read (reading it a second time would take as long as the scan)
  session::ScanOptions options = frame_.ScanChoices();
  options.fragments = true;
  options.trace = true;
  options.source_digests = kind == ScanKind::kImage;
  switch (kind) {
    case ScanKind::kFile:
      session_->Start(path.toStdString(), options);
      break;
    case ScanKind::kStore:
      session_->StartStore(path.toStdString(), options);
      break;
    case ScanKind::kImage:
      session_->StartImage(path.toStdString(), options);
      break;
  }
}

void CViewBottom::ScanEnded(const session::ScanOutcome& outcome) {
  scanning_ = false;
  outcome_ = outcome;
  run_.end_time = NowSeconds();
  if (outcome.ending == engine::RunEnding::kCannotOpen) {
    msgbox::ShowApplicationMessage("Unable to open file...", msgbox::MB_ICONINFORMATION);
  }
  // the completion step, a moment after the run
  QTimer::singleShot(100, this, [this] {
    frame_.SetPageRow(0, std::max(0, frame_.ClientHeight() - kScanPageHeight));
    frame_.LayoutPages();
    progress_->hide();
  });
  stop_button_->hide();
  back_->show();
  back_->setEnabled(true);
  scan_->show();
  frame_.ShowBrowserPage(page_folder_ + "completed.html");
  // what went wrong is said at the end and can be read again (Tools > Scan notes...)
  notes_ = session::ScanEndNotes(outcome);
  if (!notes_.empty()) ShowScanNotes();
}

std::optional<report::ReportInput> CViewBottom::ReportOfScan(
    std::vector<catalogue::CatalogueRow>& rows) const {
  if (!ReportReady()) return std::nullopt;
  const views::MessageListModel& model = items_.List().Model();
  rows.clear();
  rows.reserve(static_cast<size_t>(model.AllRowCount()) + hidden_fragments_.size());
  for (int i = 0; i < model.AllRowCount(); ++i) rows.push_back(model.AllRowAt(i));
  rows.insert(rows.end(), hidden_fragments_.begin(), hidden_fragments_.end());
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return a.sequence < b.sequence; });
  const store::MailStore& store = session_->Store();
  return report::ReportInput{run_, &*outcome_, &rows, store.folders.empty() ? nullptr : &store,
                             saved_};
}

void CViewBottom::NoteSaved(const std::vector<saving::SavedMessage>& saved) {
  saved_.insert(saved_.end(), saved.begin(), saved.end());
}

void CViewBottom::ShowScanNotes() const {
  if (notes_.empty()) {
    msgbox::ShowApplicationMessage("The last scan left no notes.", msgbox::MB_ICONINFORMATION);
    return;
  }
  constexpr size_t kShownLines = 30;
  std::string text;
  for (size_t i = 0; i < notes_.size() && i < kShownLines; ++i) {
    text += (text.empty() ? "" : "<br>") + msgbox::EscapeMarkup(notes_[i]);
  }
  if (notes_.size() > kShownLines) {
    text += "<br>... and " + std::to_string(notes_.size() - kShownLines) + " more";
  }
  msgbox::ShowApplicationMessage(text, msgbox::MB_ICONEXCLAMATION);
}

void CViewBottom::OnStop() {
  if (msgbox::ShowApplicationMessage("Do you really want to stop repairing process",
                                     msgbox::MB_YESNO | msgbox::MB_ICONQUESTION) != msgbox::IDYES) {
    return;
  }
  scan_->show();
  // Back waits for the worker to end: it may be handing over a row right now.
  back_->show();
  back_->setEnabled(!scanning_);
  stop_button_->hide();
  if (session_) session_->RequestStop();
}

void CViewBottom::OnBack() {
  if (frame_.State() != WizardState::Results || scanning_) return;
  frame_.SetState(WizardState::ChooseFile);
  items_.EmptyAllLists();
  hidden_fragments_.clear();
  frame_.ClearFolderTree();
  outcome_.reset();
  saved_.clear();
  frame_.SessionEnding();
  session_.reset();
  frame_.SetPageRow(0, 0);
  frame_.LayoutPages();
  ShowFileChoice();
  update();
}

}  // namespace rescuva::app
