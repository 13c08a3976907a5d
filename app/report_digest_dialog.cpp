#include "app/report_digest_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "msgbox/message_call.h"

namespace rescuva::app {

ReportDigestDialog::ReportDigestDialog(QWidget* parent)
    : QDialog(parent), bar_(new QProgressBar(this)) {
  setWindowTitle(msgbox::kApplicationTitle);
  setModal(true);
  setMinimumWidth(420);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Taking the digests of the messages and their sources...", this));
  bar_->setRange(0, 100);
  bar_->setValue(0);
  layout->addWidget(bar_);
  auto* stop = new QPushButton("Stop", this);
  connect(stop, &QPushButton::clicked, this, [this] { reject(); });
  layout->addWidget(stop, 0, Qt::AlignRight);
}

ReportDigestDialog::~ReportDigestDialog() {
  job_.reset();  // stops and waits before the crossing goes
  if (progress_) progress_->Close();
}

bool ReportDigestDialog::Run(const session::RecoverySession& session,
                             std::vector<catalogue::CatalogueRow>& rows,
                             std::vector<session::ScannedFile>& files) {
  progress_ = std::make_unique<session::Latest<session::DigestProgress>>(
      crossing_, [this](const session::DigestProgress& progress) {
        bar_->setValue(progress.total ? static_cast<int>(progress.done * 100 / progress.total)
                                      : 100);
      });
  job_ = std::make_unique<session::ReportDigestJob>(
      session, rows, files,
      [this](const session::DigestProgress& progress) { progress_->Set(progress); },
      [this] { crossing_.Post([this] { accept(); }); });
  job_->Start();
  exec();
  job_->Wait();
  progress_->Close();
  return job_->Complete();
}

void ReportDigestDialog::reject() {
  if (job_) job_->RequestStop();
}

}  // namespace rescuva::app
