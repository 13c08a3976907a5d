#include "app/view_bottom.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QTimer>

#include "app/message_catalogue.h"
#include "app/page_look.h"
#include "app/scan_page_layout.h"
#include "msgbox/message_call.h"

namespace rescuva::app {
namespace {

const QColor kPageColour(0xD8, 0xE7, 0xFC);  // COLORREF 0xFCE7D8
constexpr int kRowInterval = 50;             // milliseconds between two showings of new rows
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
      scan_(PageButton("Scan", ButtonPicture::kForward, this)),
      back_(PageButton("Back", ButtonPicture::kBack, this)),
      stop_button_(PageButton("Stop", ButtonPicture::kStop, this)),
      progress_(new QProgressBar(this)) {
  prompt_->setText("Please select file to repair");
  counter_->setText(QString::fromStdString(app::CounterText(0)));
  progress_->setRange(0, 100);
  progress_->setTextVisible(false);
  // the pages are looked for in the current folder, else beside the program
  page_folder_ = QDir::currentPath() + "/";
  if (!QFileInfo::exists(page_folder_ + "progress.html")) {
    page_folder_ = QCoreApplication::applicationDirPath() + "/";
  }
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowse(); });
  connect(scan_, &QPushButton::clicked, this, [this] { OnScan(); });
  connect(back_, &QPushButton::clicked, this, [this] { OnBack(); });
  connect(stop_button_, &QPushButton::clicked, this, [this] { OnStop(); });
  row_timer_.setInterval(kRowInterval);
  connect(&row_timer_, &QTimer::timeout, this, [this] { FlushRows(); });
  ShowFileChoice();
}

CViewBottom::~CViewBottom() {
  stop_ = true;
  // the worker may be waiting for this thread: keep serving it until it ends
  while (scanning_) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (worker_.joinable()) worker_.join();
}

void CViewBottom::FlushRows() {
  auto& model = items_.List().Model();
  if (model.FlushQueued() > 0) {
    counter_->setText(
        QString::fromStdString(app::CounterText(static_cast<size_t>(model.rowCount()))));
  }
}

void CViewBottom::ShowFileChoice() {
  for (QWidget* scan_control : {static_cast<QWidget*>(back_), static_cast<QWidget*>(stop_button_),
                                static_cast<QWidget*>(progress_), static_cast<QWidget*>(counter_),
                                static_cast<QWidget*>(status_)}) {
    scan_control->hide();
  }
  for (QWidget* choice : {static_cast<QWidget*>(path_), static_cast<QWidget*>(browse_),
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
  const QString chosen = QFileDialog::getOpenFileName(this, QString(), QString(), kFilter);
  if (chosen.isEmpty()) return;
  const QString upper = chosen.toUpper();
  if (upper.contains(".DBX") || upper.contains(".MBX")) {
    path_->setText(chosen);
    return;
  }
  msgbox::ShowApplicationMessage("Please select Outlook Express file", msgbox::MB_ICONINFORMATION);
  path_->clear();
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
  frame_.ClearCaption();
  frame_.SetState(WizardState::Results);
  frame_.SetPageRow(0, std::max(0, frame_.ClientHeight() - kScanPageHeight));
  frame_.LayoutPages();
  for (QWidget* choice : {static_cast<QWidget*>(path_), static_cast<QWidget*>(browse_),
                          static_cast<QWidget*>(scan_), static_cast<QWidget*>(prompt_)}) {
    choice->hide();
  }
  stop_button_->show();
  counter_->show();
  status_->show();
  items_.EmptyAllLists();
  items_.HideAllLists();
  frame_.BrowserOnlyLayout();
  counter_->setText(QString::fromStdString(app::CounterText(0)));
  progress_->setValue(0);
  progress_->show();
  scan_->setText("Save");
  back_->hide();
  update();

  if (worker_.joinable()) worker_.join();
  engine_ = std::make_unique<engine::DbxRecoveryEngine>(*this);
  auto& model = items_.List().Model();
  catalogue_ = std::make_unique<CataloguePipeline>(
      [&model](const CatalogueRow& row, std::span<const char>) { model.QueueRow(row); });
  reported_position_ = -1;
  stop_ = false;
  scanning_ = true;
  row_timer_.start();
  worker_ = std::thread([this, selected = path.toStdString()] { ScanThreadProc(selected); });
}

void CViewBottom::ScanThreadProc(std::string path) {
  OnUiThread([this] {
    frame_.ShowBrowserPage(page_folder_ + "progress.html");
    items_.ShowMessageList();
  });
  engine_->Run(path);
  catalogue_->Finish();
  OnUiThread([this] {
    row_timer_.stop();
    FlushRows();
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
  });
  scanning_ = false;
}

void CViewBottom::OnUiThread(const std::function<void()>& change) {
  QMetaObject::invokeMethod(this, change, Qt::BlockingQueuedConnection);
}

void CViewBottom::SetStatus(const std::string& text) {
  const QString line = QString::fromStdString(text);
  OnUiThread([this, line] { status_->setText(line); });
}

// Only a new position crosses to the user-interface thread: the stages report before
// every unit, the bar moves a hundred times at most.
void CViewBottom::SetProgress(int position) {
  if (position == reported_position_) return;
  reported_position_ = position;
  OnUiThread([this, position] { progress_->setValue(position); });
}

// The extracted file is read before this returns; the catalogue's own thread loads it
// and queues its row, and the user-interface thread shows the queued rows every few
// tens of milliseconds (a row at a time would repaint the window for every message).
void CViewBottom::AddRecoveredMessage(const std::string& path, bool deleted, uint64_t offset) {
  catalogue_->Add(path, deleted, offset);
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
  stop_ = true;
}

void CViewBottom::OnBack() {
  if (frame_.State() != WizardState::Results || scanning_) return;
  frame_.SetState(WizardState::ChooseFile);
  items_.EmptyAllLists();
  frame_.ClearFolderTree();
  if (worker_.joinable()) worker_.join();
  if (engine_) engine_->CloseSource();
  engine_.reset();
  frame_.SetPageRow(0, 0);
  frame_.LayoutPages();
  ShowFileChoice();
  update();
}

}  // namespace rescuva::app
