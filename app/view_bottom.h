// CViewBottom, the scan page: the file choice in wizard state 1, and in state 2 the
// strip under the results with the status line, the counter, the progress bar and
// Stop, Back and Save. It drives the recovery session of a scan, whose results reach
// the page through the crossing to the user-interface thread.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/wizard.h"
#include "report/report_input.h"
#include "session/qt_crossing.h"
#include "session/recovery_session.h"
#include "views/disp_imfo_view.h"

namespace rescuva::app {

class CViewBottom : public QWidget {
 public:
  CViewBottom(WizardFrame& frame, views::CDispImfoView& items, QWidget* parent = nullptr);
  ~CViewBottom() override;

  void OnBrowse();
  // "Repair store folder...": picks a folder and scans the store in it.
  void OnBrowseStore();
  void OnScan();
  // Scans the store in `folder` (wizard state 1 only).
  void ScanStore(const QString& folder);
  // "Open disk image...": picks an image file and scans the stores on it.
  void OnBrowseImage();
  // Scans the disk image or device at `path` (wizard state 1 only).
  void ScanImage(const QString& path);
  void OnStop();
  void OnBack();
  // Sets the stop flag without asking (the exit sequence).
  void RequestStop();
  // Shows or hides the fragment rows; scans keep fragments aside while they are hidden.
  void ShowFragments(bool shown);
  // What the last scan could not do or read: the messages it lost, a read error, files
  // skipped or read in part. Shown when the scan ends, and again on request.
  const std::vector<std::string>& ScanNotes() const { return notes_; }
  void ShowScanNotes() const;

  // True once the user has confirmed Stop (or the exit sequence stopped the scan).
  bool StopRequested() const { return session_ && session_->StopRequested(); }
  // True from Scan until the scan's outcome has reached the page.
  bool Scanning() const { return scanning_; }
  // The engine of the current session, from Scan to Back; null otherwise.
  const engine::DbxRecoveryEngine* Engine() const;
  // The session of the current scan, from Scan to Back; null otherwise.
  const session::RecoverySession* Session() const { return session_.get(); }
  // What an examiner's report of the last scan is made of, once it has ended (and until
  // Back): its run, outcome and rows, and where its messages were saved; nothing
  // before. `rows` receives the rows listed, in the order listed.
  std::optional<report::ReportInput> ReportOfScan(std::vector<catalogue::CatalogueRow>& rows) const;
  bool ReportReady() const { return outcome_.has_value() && session_ && !scanning_; }
  // A save of this scan's messages ended: where they went.
  void NoteSaved(const std::vector<saving::SavedMessage>& saved);
  QLineEdit& PathBox() { return *path_; }
  QString StatusText() const { return status_->text(); }
  QString CounterText() const { return counter_->text(); }
  QPushButton& ScanButton() { return *scan_; }
  QPushButton& StoreButton() { return *store_; }
  QPushButton& ImageButton() { return *image_; }
  QPushButton& BackButton() { return *back_; }
  QPushButton& StopButton() { return *stop_button_; }
  QProgressBar& Progress() { return *progress_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowFileChoice();
  // What a scan reads: one file as chosen, a store folder, or a disk image's stores.
  enum class ScanKind { kFile, kStore, kImage };
  // Leaves the file choice for the scan's controls and starts the session.
  void BeginScan(const QString& path, ScanKind kind);
  void ShowRows(std::vector<catalogue::CatalogueRow>& rows);
  void ShowCounter();
  // The end of a scan: what the worker's last steps did, and the completion step.
  void ScanEnded(const session::ScanOutcome& outcome);

  WizardFrame& frame_;
  views::CDispImfoView& items_;
  QLabel* status_;
  QLabel* counter_;
  QLineEdit* path_;
  QLabel* prompt_;
  QPushButton* browse_;
  QPushButton* store_;
  QPushButton* image_;
  QPushButton* scan_;
  QPushButton* back_;
  QPushButton* stop_button_;
  QProgressBar* progress_;
  QString page_folder_;
  session::QtCrossing crossing_{this};
  std::unique_ptr<session::RecoverySession> session_;  // from Scan to Back
  bool fragments_shown_ = false;
  std::vector<catalogue::CatalogueRow> hidden_fragments_;  // bottom row first
  bool scanning_ = false;
  std::vector<std::string> notes_;               // of the last scan
  report::ReportRun run_;                        // of the last scan
  std::optional<session::ScanOutcome> outcome_;  // of the last scan, once it has ended
  std::vector<saving::SavedMessage> saved_;      // of the last scan's messages
};

}  // namespace rescuva::app
