// PdfPrinter: pages printed to PDF by the browser engine, as harmless as the preview
// keeps them (no script, nothing fetched from the network). It lives on the window's
// thread; a save on its own thread hands it a page through the crossing and waits for
// the document.
#pragma once

#include <QObject>
#include <QTimer>
#include <future>
#include <memory>
#include <mutex>
#include <string>

#include "platform/scratch_folder.h"
#include "saving/page_printer.h"
#include "session/crossing.h"

class QWebEnginePage;
class QWebEngineProfile;

namespace rescuva::views {

class LocalOnly;

class PdfPrinter : public QObject, public saving::PagePrinter {
 public:
  // `crossing` receives on the window's thread, on which the printer is made. The page
  // files the engine loads go into a scratch folder of the printer's own.
  explicit PdfPrinter(session::Crossing& crossing);
  ~PdfPrinter() override;

  // On any thread but the window's.
  bool Print(const std::string& archive, std::vector<uint8_t>& pdf, std::string& error) override;
  void Abandon() override;

 private:
  struct Job {
    std::string archive;
    std::promise<bool> done;
    std::vector<uint8_t> pdf;
    std::string error;
    bool answered = false;  // under the printer's mutex
  };
  // On the window's thread.
  void Start(const std::shared_ptr<Job>& job);
  void Loaded(bool ok);
  void Answer(const std::shared_ptr<Job>& job, bool ok, const std::string& error = {});
  QString PagePath(int serial) const;

  session::Crossing& crossing_;
  platform::ScratchFolder scratch_;
  QWebEngineProfile* profile_;
  QWebEnginePage* page_;
  QTimer patience_;
  std::mutex mutex_;
  bool abandoned_ = false;
  std::shared_ptr<Job> current_;  // the page loading or printing
  int serial_ = 0;
};

}  // namespace rescuva::views
