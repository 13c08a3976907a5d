#include "app/view_save.h"

#include <QCoreApplication>
#include <QPainter>

#include "app/page_look.h"
#include "catalogue/message_catalogue.h"
#include "msgbox/message_call.h"

namespace rescuva::app {
namespace {

constexpr size_t kNamedFailures = 20;
constexpr int kDestinationWidth = 246;  // the cell's 250 pixels less its margins

}  // namespace

CViewSave::CViewSave(WizardFrame& frame, std::function<void()> finish_back, QWidget* parent)
    : QWidget(parent),
      frame_(frame),
      finish_back_(std::move(finish_back)),
      progress_(new QProgressBar(this)),
      finish_(PageButton("Finish", ButtonPicture::kFinish, this)),
      back_(PageButton("Back", ButtonPicture::kBack, this)),
      stop_button_(PageButton("Stop", ButtonPicture::kStop, this)),
      label_(new QLabel("Progress :", this)),
      value_(new QLabel(this)),
      status_(new QLabel("Progress :", this)) {
  progress_->setRange(0, 100);
  progress_->setTextVisible(false);
  for (auto*& cell : cells_) cell = new QLabel(this);
  cells_[0]->setText(QString::fromStdString(catalogue::CounterText(0)));
  stop_button_->hide();
  connect(finish_, &QPushButton::clicked, this, [this] { OnFinish(); });
  connect(back_, &QPushButton::clicked, this, [this] { OnBack(); });
  connect(stop_button_, &QPushButton::clicked, this, [this] { OnStop(); });
}

CViewSave::~CViewSave() {
  StopAndWait();
}

// The job reports through the crossing: nothing it does waits for this thread.
void CViewSave::StopAndWait() {
  stop_ = true;
  // a save printing PDF files waits for this thread, which is about to wait for it
  if (request_.printer) request_.printer->Abandon();
  if (job_) job_->Wait();
  if (progress_updates_) progress_updates_->Close();
  done_ = true;
}

void CViewSave::Start(saving::SourceOf sources, saving::SaveRequest request,
                      std::vector<saving::SaveItem> items) {
  if (job_) job_->Wait();
  stop_ = false;
  done_ = false;
  request_ = request;
  total_ = items.size();
  finish_->hide();
  back_->setEnabled(false);
  stop_button_->show();
  status_->setText(QString("Saving %1 emails to %2")
                       .arg(total_)
                       .arg(QString::fromStdString(request.destination)));
  Show({0, total_, 0});
  progress_updates_ = std::make_unique<session::Latest<saving::SaveProgress>>(
      crossing_, [this](const saving::SaveProgress& progress) { Show(progress); });
  job_ = std::make_unique<saving::SaveJob>(
      std::move(sources), std::move(request), std::move(items),
      [this](const saving::SaveProgress& progress) { progress_updates_->Set(progress); }, stop_,
      [this] {
        crossing_.Post([this] {
          if (!done_) Done();
        });
      });
  job_->Start();
}

void CViewSave::Show(const saving::SaveProgress& progress) {
  progress_->setValue(progress.total == 0 ? 100
                                          : static_cast<int>(progress.done * 100 / progress.total));
  value_->setText(QString("%1 of %2").arg(progress.done).arg(progress.total));
  cells_[0]->setText(
      QString::fromStdString(catalogue::CounterText(progress.done - progress.failed)));
  cells_[1]->setText(QString("Failed : %1").arg(progress.failed));
  // skipped are the messages a stop left unsaved, known once the save has ended
  cells_[2]->setText(QString("Skipped : %1").arg(progress.skipped));
  // the whole destination, its middle elided when the cell is too narrow
  const QString destination = "Destination : " + QString::fromStdString(request_.destination);
  cells_[3]->setText(
      cells_[3]->fontMetrics().elidedText(destination, Qt::ElideMiddle, kDestinationWidth));
}

void CViewSave::Done() {
  job_->Wait();
  done_ = true;
  progress_updates_->Close();
  const saving::SaveReport& report = job_->Report();
  if (on_saved_) on_saved_(report);
  const size_t handled = report.saved + report.failures.size();
  Show({handled, total_, report.failures.size(), job_->Stopped() ? total_ - handled : 0});
  cells_[0]->setText(QString::fromStdString(catalogue::CounterText(report.saved)));
  status_->setText(job_->Stopped() ? "Saving stopped" : "Saving done");
  stop_button_->hide();
  finish_->show();
  back_->setEnabled(true);
  if (!report.failures.empty() || !report.destination_error.empty() || !report.notes.empty()) {
    // subjects and reasons are shown as text, never as markup
    using msgbox::EscapeMarkup;
    std::string text =
        report.destination_error.empty() ? "" : EscapeMarkup(report.destination_error) + "<br>";
    for (const std::string& note : report.notes) text += EscapeMarkup(note) + "<br>";
    text += std::to_string(report.failures.size()) + " emails could not be saved";
    if (!report.failures.empty()) text += ":";
    for (size_t i = 0; i < report.failures.size() && i < kNamedFailures; ++i) {
      const saving::SaveFailure& f = report.failures[i];
      text += "<br>" + std::to_string(f.offset) + " \"" + EscapeMarkup(f.subject) +
              "\": " + EscapeMarkup(f.reason);
    }
    if (report.failures.size() > kNamedFailures) text += "<br>...";
    msgbox::ShowApplicationMessage(text, msgbox::MB_ICONEXCLAMATION);
  }
}

void CViewSave::OnStop() {
  if (msgbox::ShowApplicationMessage("Do you really want to stop saving process",
                                     msgbox::MB_YESNO | msgbox::MB_ICONQUESTION) == msgbox::IDYES) {
    stop_ = true;
  }
}

void CViewSave::OnFinish() {
  if (Saving()) return;
  frame_.SetState(WizardState::SaveOptions);
  frame_.SetPageRow(0, 0);
  frame_.SetPageRow(1, 0);
  frame_.SetPageRow(2, frame_.ClientHeight());
  frame_.LayoutPages();
  finish_back_();
}

void CViewSave::OnBack() {
  if (Saving()) return;
  frame_.SetState(WizardState::SaveOptions);
  frame_.SetPageRow(0, 0);
  frame_.SetPageRow(1, 0);
  frame_.SetPageRow(2, frame_.ClientHeight());
  frame_.SetPageRow(3, 0);
  frame_.LayoutPages();
  cells_[0]->setText(QString::fromStdString(catalogue::CounterText(0)));
  for (int i = 1; i < 6; ++i) cells_[i]->clear();
  status_->clear();
  value_->clear();
  progress_->setValue(0);
}

void CViewSave::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height(), a = h / 2;
  finish_->setGeometry(w - 90, h - 40, 80, 30);
  stop_button_->setGeometry(w - 90, h - 40, 80, 30);
  back_->setGeometry(w - 190, h - 40, 80, 30);
  progress_->setGeometry(100, a - 30, w - 200, 20);
  label_->setGeometry(100, a - 100, 300, 20);
  value_->setGeometry(200, a - 100, w - 400, 20);
  status_->setGeometry(100, a - 60, w - 300, 20);
  counter_frame_ = QRect(100, a + 30, 420, 78);
  for (int i = 0; i < 6; ++i) {
    const bool left = i % 2 == 0;
    cells_[i]->setGeometry(left ? 110 : 250, a + 40 + 21 * (i / 2), left ? 140 : 250, 18);
  }
}

void CViewSave::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  DrawBanner(painter);
  painter.setPen(palette().color(QPalette::Shadow));
  painter.drawRect(counter_frame_.adjusted(0, 0, -1, -1));
}

}  // namespace rescuva::app
