// The CLI's side of a run: lists each message the catalogue accepts (a table line or
// a JSON object), saves it when it is in scope, draws the progress bar and keeps the
// stage times. The catalogue runs as a pipeline beside the engine.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "app/catalogue_pipeline.h"
#include "app/message_catalogue.h"
#include "app/message_saver.h"
#include "cli/cli_options.h"
#include "engine/recovery_reporter.h"

namespace rescuva::cli {

class CliListing : public engine::RecoveryReporter {
 public:
  CliListing(const CliOptions& options, const std::atomic<bool>& interrupted, std::FILE* out,
             std::FILE* err, bool progress_bar);
  CliListing(const CliListing&) = delete;
  CliListing& operator=(const CliListing&) = delete;
  ~CliListing() { Finish(); }

  // Saving starts with the first listed message in scope.
  void SetSaver(app::MessageSaver* saver) { saver_ = saver; }

  void SetStatus(const std::string& text) override;
  void SetProgress(int position) override;
  bool StopRequested() override { return interrupted_; }
  void AddRecoveredMessage(const std::string& path, bool deleted, uint64_t offset) override;

  // Lists what is still queued and ends the listing thread.
  void Finish() { pipeline_.Finish(); }
  // The summary line "N messages (E existing, D deleted)".
  void PrintSummary();
  void PrintTimings() const;

 private:
  using Clock = std::chrono::steady_clock;
  void List(const app::CatalogueRow& row, std::span<const char> bytes);
  void PrintRow(const app::CatalogueRow& row, std::span<const char> bytes) const;
  void DrawProgress();
  void ClearProgress();

  const CliOptions& options_;
  const std::atomic<bool>& interrupted_;
  std::FILE* out_;
  std::FILE* err_;
  bool progress_bar_;
  app::MessageSaver* saver_ = nullptr;
  std::string status_;
  int position_ = -1;
  size_t existing_ = 0;
  size_t deleted_ = 0;
  Clock::time_point started_ = Clock::now();
  // moments the stage texts first appeared: stage 1, 2, 3 and the end of stage 3
  std::optional<Clock::time_point> marks_[4];
  Clock::time_point ended_;
  std::mutex output_;                // the counters, the status and what is printed
  app::CataloguePipeline pipeline_;  // last: its thread uses the members above
};

// Date and time of a row as "2004-02-10T19:26:59Z", or "" when unknown.
std::string IsoTime(const std::optional<int64_t>& seconds);

}  // namespace rescuva::cli
