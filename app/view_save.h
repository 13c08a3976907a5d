// CViewSave, the save progress page: the bar, the status line and the counters of a
// save running on its own thread; Stop asks first, Finish returns to the file choice,
// Back to the save options.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

#include "app/wizard.h"
#include "saving/save_job.h"
#include "session/qt_crossing.h"

namespace rescuva::app {

class CViewSave : public QWidget {
 public:
  // `finish_back` runs the Back actions of the save option page and the scan page.
  CViewSave(WizardFrame& frame, std::function<void()> finish_back, QWidget* parent = nullptr);
  ~CViewSave() override;

  void Start(saving::SourceOf sources, saving::SaveRequest request,
             std::vector<saving::SaveItem> items);
  // Called when a save has ended, with its report.
  void SetOnSaved(std::function<void(const saving::SaveReport&)> saved) {
    on_saved_ = std::move(saved);
  }
  // Stops a running save without asking and waits until its output is closed whole.
  void StopAndWait();
  void OnStop();
  void OnFinish();
  void OnBack();
  bool Saving() const { return job_ != nullptr && !done_; }
  bool FinishVisible() const { return finish_->isVisible(); }
  QString Cell(int n) const { return cells_[n - 1]->text(); }
  QString StatusText() const { return status_->text(); }
  QString ProgressText() const { return value_->text(); }
  QProgressBar& Progress() { return *progress_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Show(const saving::SaveProgress& progress);
  void Done();

  WizardFrame& frame_;
  std::function<void()> finish_back_;
  std::function<void(const saving::SaveReport&)> on_saved_;
  QProgressBar* progress_;
  QPushButton* finish_;
  QPushButton* back_;
  QPushButton* stop_button_;
  QLabel* label_;
  QLabel* value_;
  QLabel* status_;
  QLabel* cells_[6];
  QRect counter_frame_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{true};
  saving::SaveRequest request_;
  size_t total_ = 0;
  session::QtCrossing crossing_{this};
  std::unique_ptr<session::Latest<saving::SaveProgress>> progress_updates_;
  std::unique_ptr<saving::SaveJob> job_;
};

}  // namespace rescuva::app
