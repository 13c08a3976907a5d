// Takes the digests a report of the window's scan still needs, on a thread of its own:
// every row's message, then every file the scan read to its end. It tells how far it
// has come in bytes and ends early at a stop, which leaves the report unwritten.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "session/recovery_session.h"

namespace rescuva::session {

struct DigestProgress {
  uint64_t done = 0;  // bytes digested
  uint64_t total = 0;
};

class ReportDigestJob {
 public:
  // `rows` and `files` are digested in place; they and `session` must outlive the job.
  // `progress` is called on the digesting threads, `finished` once at the end on the
  // job's thread.
  ReportDigestJob(const RecoverySession& session, std::vector<catalogue::CatalogueRow>& rows,
                  std::vector<ScannedFile>& files,
                  std::function<void(const DigestProgress&)> progress,
                  std::function<void()> finished);
  ReportDigestJob(const ReportDigestJob&) = delete;
  ReportDigestJob& operator=(const ReportDigestJob&) = delete;
  // Stops a job that still runs and waits for it.
  ~ReportDigestJob();

  void Start();
  // From any thread.
  void RequestStop() { stop_ = true; }
  void Wait();
  // Valid after Wait: every digest was taken that could be.
  bool Complete() const { return complete_; }

 private:
  bool Step(uint64_t bytes);

  const RecoverySession& session_;
  std::vector<catalogue::CatalogueRow>& rows_;
  std::vector<ScannedFile>& files_;
  std::function<void(const DigestProgress&)> progress_;
  std::function<void()> finished_;
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> done_{0};
  uint64_t total_ = 0;
  bool complete_ = false;
  std::thread thread_;
};

}  // namespace rescuva::session
