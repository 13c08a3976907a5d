#include "views/pdf_printer.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "views/safe_web.h"

namespace rescuva::views {
namespace {

// A page that neither loads nor prints in this time is given up.
constexpr int kPatienceMs = 60000;

}  // namespace

PdfPrinter::PdfPrinter(session::Crossing& crossing)
    : crossing_(crossing), profile_(new QWebEngineProfile), page_(new QWebEnginePage(profile_)) {
  // the profile ends after the page, the interceptor with the profile
  KeepLocal(*profile_, *new LocalOnly(profile_));
  KeepInert(*page_);
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) { Loaded(ok); });
  patience_.setSingleShot(true);
  connect(&patience_, &QTimer::timeout, this, [this] {
    if (current_) Answer(current_, false, "the page took too long to print");
  });
}

PdfPrinter::~PdfPrinter() {
  Abandon();
  // on the window's thread, whichever thread lets the printer go; the page first
  if (QThread::currentThread() == thread()) {
    delete page_;
    delete profile_;
  } else {
    page_->deleteLater();
    profile_->deleteLater();
  }
}

bool PdfPrinter::Print(const std::string& archive, std::vector<uint8_t>& pdf, std::string& error) {
  auto job = std::make_shared<Job>();
  job->archive = archive;
  auto done = job->done.get_future();
  {
    std::lock_guard lock(mutex_);
    if (abandoned_ || crossing_.OnReceivingThread()) {
      error = "the printing has stopped";
      return false;
    }
  }
  crossing_.Post([this, job] { Start(job); });
  const bool printed = done.get();
  if (printed) {
    pdf = std::move(job->pdf);
  } else {
    error = job->error;
  }
  return printed;
}

void PdfPrinter::Abandon() {
  std::shared_ptr<Job> waiting;
  {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    waiting = current_;
  }
  if (waiting) Answer(waiting, false, "the printing has stopped");
}

void PdfPrinter::Start(const std::shared_ptr<Job>& job) {
  {
    std::lock_guard lock(mutex_);
    if (abandoned_) {
      job->error = "the printing has stopped";
      job->answered = true;
      job->done.set_value(false);
      return;
    }
    current_ = job;
  }
  const QString path = PagePath(serial_++);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(job->archive.data(), static_cast<qint64>(job->archive.size())) !=
          static_cast<qint64>(job->archive.size())) {
    Answer(job, false,
           "the page could not be written to " + path.toStdString() + " " + scratch_.Error());
    return;
  }
  file.close();
  patience_.start(kPatienceMs);
  page_->load(QUrl::fromLocalFile(path));
}

void PdfPrinter::Loaded(bool ok) {
  const std::shared_ptr<Job> job = current_;
  if (!job) return;
  if (!ok) {
    Answer(job, false, "the page could not be laid out");
    return;
  }
  const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                           QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  page_->printToPdf(
      [this, job](const QByteArray& pdf) {
        job->pdf.assign(pdf.begin(), pdf.end());
        Answer(job, !pdf.isEmpty(), "the page could not be printed");
      },
      layout);
}

void PdfPrinter::Answer(const std::shared_ptr<Job>& job, bool ok, const std::string& error) {
  {
    std::lock_guard lock(mutex_);
    if (job->answered) return;
    job->answered = true;
    if (current_ == job) current_.reset();
  }
  if (crossing_.OnReceivingThread()) {
    patience_.stop();
    QFile::remove(PagePath(serial_ - 1));
  }
  if (!ok) job->error = error;
  job->done.set_value(ok);
}

QString PdfPrinter::PagePath(int serial) const {
  return QString::fromStdString(scratch_.Path()) + "print-" + QString::number(serial) + ".mhtml";
}

}  // namespace rescuva::views
