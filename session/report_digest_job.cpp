#include "session/report_digest_job.h"

namespace rescuva::session {

ReportDigestJob::ReportDigestJob(const RecoverySession& session,
                                 std::vector<catalogue::CatalogueRow>& rows,
                                 std::vector<ScannedFile>& files,
                                 std::function<void(const DigestProgress&)> progress,
                                 std::function<void()> finished)
    : session_(session),
      rows_(rows),
      files_(files),
      progress_(std::move(progress)),
      finished_(std::move(finished)) {
  for (const catalogue::CatalogueRow& row : rows_) {
    if (row.digests.Empty()) total_ += row.size;
  }
  for (const ScannedFile& file : files_) {
    if (file.Undigested()) total_ += file.facts.length;
  }
}

ReportDigestJob::~ReportDigestJob() {
  RequestStop();
  Wait();
}

void ReportDigestJob::Start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] {
    const DigestStep step = [this](uint64_t bytes) { return Step(bytes); };
    complete_ = session_.DigestRows(rows_, step) && session_.DigestFiles(files_, step);
    if (finished_) finished_();
  });
}

void ReportDigestJob::Wait() {
  if (thread_.joinable()) thread_.join();
}

bool ReportDigestJob::Step(uint64_t bytes) {
  const uint64_t done = done_ += bytes;
  if (progress_) progress_({done, total_});
  return !stop_;
}

}  // namespace rescuva::session
