// The CLI's side of a scan: lists each message the catalogue accepts (a table line or
// a JSON object), saves it when it is in scope (on a thread of its own, in the order
// listed, so that writing overlaps the listing), draws the progress bar and keeps the
// stage times; the scan itself is a RecoverySession.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/bounded_queue.h"
#include "catalogue/message_catalogue.h"
#include "cli/cli_options.h"
#include "platform/scratch_files.h"
#include "saving/message_saver.h"
#include "session/recovery_session.h"
#include "store/mail_store.h"

namespace rescuva::cli {

class CliListing {
 public:
  CliListing(const CliOptions& options, std::FILE* out, std::FILE* err, bool progress_bar);
  CliListing(const CliListing&) = delete;
  CliListing& operator=(const CliListing&) = delete;
  ~CliListing();

  // What the session delivers to the listing.
  session::SessionEvents Events();
  // Saving starts with the first listed message in scope.
  void SetSaver(saving::MessageSaver* saver);
  // Each listed row also goes as a line into `csv` (its header written already).
  void SetCsv(platform::OutputFile* csv) { csv_ = csv; }
  // False when a line could not be written.
  bool CsvWritten() const { return csv_written_; }
  // The store being listed: rows then name their folder.
  void SetStore(const store::MailStore* store) { store_ = store; }
  // After the session has ended: saves what is still waiting; then the saver may
  // finish.
  void FinishSaving();

  // The summary line "N messages (E existing, D deleted)".
  void PrintSummary();
  void PrintTimings() const;
  // After the session has ended.
  const session::ScanOutcome& Outcome() const { return outcome_; }
  // Every listed row, kept for the report when one is asked for.
  const std::vector<catalogue::CatalogueRow>& Rows() const { return rows_; }

 private:
  using Clock = std::chrono::steady_clock;
  void SetStatus(const std::string& text);
  void SetProgress(int position);
  void List(const catalogue::CatalogueRow& row, std::span<const char> bytes);
  void PrintRow(const catalogue::CatalogueRow& row, std::span<const char> bytes) const;
  void DrawProgress();
  void ClearProgress();
  void SaveQueued();

  struct Pending {
    saving::SaveItem item;
    std::vector<uint8_t> bytes;  // as listed, unless the save extracts it again mended
    bool extract_again = false;
  };

  const CliOptions& options_;
  std::FILE* out_;
  std::FILE* err_;
  bool progress_bar_;
  std::string FolderText(int folder) const;

  saving::MessageSaver* saver_ = nullptr;
  const store::MailStore* store_ = nullptr;
  catalogue::BoundedQueue<Pending> to_save_{64};
  std::thread saving_;
  std::string status_;
  int position_ = -1;
  Clock::time_point started_ = Clock::now();
  Clock::time_point ended_;
  Clock::time_point scan_started_;  // when the block scan first reported
  std::string rate_;                // bytes read, rate and time left of a long scan
  session::ScanOutcome outcome_;
  std::vector<catalogue::CatalogueRow> rows_;  // the catalogue thread's until it ends
  platform::OutputFile* csv_ = nullptr;
  bool csv_written_ = true;  // the catalogue thread's until it ends
  size_t matched_ = 0;       // rows the filter let through; the same
  std::mutex output_;        // the status and what is printed
};

// The flags of an index record that a mail program shows, as a JSON array of names.
std::string FlagsJson(const std::optional<engine::RecordFacts>& record);
// Where a message's bytes lie and what was mended, as JSON members:
// "positions": [{"at": 4772, "offset": 0, "length": 512}, ...], and "mends" when any.
std::string TraceJson(const engine::ChainTrace& trace);

}  // namespace rescuva::cli
