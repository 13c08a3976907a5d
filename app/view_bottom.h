// CViewBottom, the scan page: the file choice in wizard state 1, and in state 2 the
// strip under the results with the status line, the counter, the progress bar and
// Stop, Back and Save. It owns the engine of a scan and runs it on a worker thread
// that changes widgets only through blocking requests to the user-interface thread.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <thread>

#include "app/catalogue_pipeline.h"
#include "app/wizard.h"
#include "engine/dbx_recovery_engine.h"
#include "views/disp_imfo_view.h"

namespace rescuva::app {

class CViewBottom : public QWidget, public engine::RecoveryReporter {
 public:
  CViewBottom(WizardFrame& frame, views::CDispImfoView& items, QWidget* parent = nullptr);
  ~CViewBottom() override;

  void OnBrowse();
  void OnScan();
  void OnStop();
  void OnBack();
  // Sets the stop flag without asking (the exit sequence).
  void RequestStop() { stop_ = true; }

  // The engine's reports, called on the worker thread.
  void SetStatus(const std::string& text) override;
  void SetProgress(int position) override;
  bool StopRequested() override { return stop_; }
  void AddRecoveredMessage(const std::string& path, bool deleted, uint64_t offset) override;

  bool Scanning() const { return scanning_; }
  engine::DbxRecoveryEngine* Engine() const { return engine_.get(); }
  QLineEdit& PathBox() { return *path_; }
  QString StatusText() const { return status_->text(); }
  QString CounterText() const { return counter_->text(); }
  QPushButton& ScanButton() { return *scan_; }
  QPushButton& BackButton() { return *back_; }
  QPushButton& StopButton() { return *stop_button_; }
  QProgressBar& Progress() { return *progress_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ScanThreadProc(std::string path);
  void ShowFileChoice();
  // Shows the rows the worker has queued and counts them.
  void FlushRows();
  // Runs `change` on the user-interface thread and waits for it.
  void OnUiThread(const std::function<void()>& change);

  WizardFrame& frame_;
  views::CDispImfoView& items_;
  QLabel* status_;
  QLabel* counter_;
  QLineEdit* path_;
  QLabel* prompt_;
  QPushButton* browse_;
  QPushButton* scan_;
  QPushButton* back_;
  QPushButton* stop_button_;
  QProgressBar* progress_;
  QString page_folder_;
  std::unique_ptr<engine::DbxRecoveryEngine> engine_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> scanning_{false};
  int reported_position_ = -1;  // the last position the worker sent
  std::thread worker_;
  std::unique_ptr<CataloguePipeline> catalogue_;  // for the scan in progress
  QTimer row_timer_;
};

}  // namespace rescuva::app
