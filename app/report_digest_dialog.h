// The step "Save report..." takes before it writes: the digests the scan did not take
// (each message's, each source's whole) on a job of their own, with a progress bar and
// a Stop button, so that the window stays live while a large image is read again.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "session/crossing.h"
#include "session/qt_crossing.h"
#include "session/report_digest_job.h"

class QProgressBar;

namespace rescuva::app {

class ReportDigestDialog : public QDialog {
 public:
  explicit ReportDigestDialog(QWidget* parent);
  ~ReportDigestDialog() override;

  // Digests `rows` and `files` in place, the dialog shown meanwhile; false when the user
  // stopped it.
  bool Run(const session::RecoverySession& session, std::vector<catalogue::CatalogueRow>& rows,
           std::vector<session::ScannedFile>& files);

 private:
  void reject() override;  // Stop, Escape and closing the dialog stop the job

  QProgressBar* bar_;
  session::QtCrossing crossing_{this};
  std::unique_ptr<session::Latest<session::DigestProgress>> progress_;
  std::unique_ptr<session::ReportDigestJob> job_;
};

}  // namespace rescuva::app
