// RecoverySession: one scan of one folder file or of a whole store, driven alike by the
// window's scan page and by rescuva-cli. It owns the engines (one a mail file), the
// catalogue pipeline, the stop flag and the session's own scratch folder, runs the
// engines on its worker thread, and delivers status, progress, listed rows and the
// outcome through a Crossing.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "catalogue/catalogue_pipeline.h"
#include "engine/dbx_recovery_engine.h"
#include "engine/oe4_mailbox.h"
#include "platform/scratch_folder.h"
#include "session/copy_finder.h"
#include "session/crossing.h"
#include "store/mail_store.h"

namespace rescuva::session {

// A mail file a traced scan read, as an examiner's report names it.
struct ScannedFile {
  std::string path;
  int folder = -1;  // its store folder; -1 for a single file
  engine::SourceFacts facts;
  engine::RunEnding ending = engine::RunEnding::kDone;

  // Read to its end, but not digested as it was read.
  bool Undigested() const { return ending == engine::RunEnding::kDone && facts.digests.Empty(); }
};

// How a scan ended, with what it listed and what it could not.
struct ScanOutcome {
  engine::RunEnding ending = engine::RunEnding::kDone;
  catalogue::CatalogueCounts counts;
  uint64_t not_written = 0;  // not listed: the scratch copy could not be written
  std::vector<engine::MessageProblem> problems;  // the first messages lost, named
  std::string scratch_folder;
  std::string scratch_error;       // why the scratch folder could not be made, if it could not
  size_t copies = 0;               // of a store: deleted messages that are copies of existing ones
  std::vector<std::string> notes;  // files skipped or read in part, and why
  // Seconds spent finding existing messages, scanning for blocks and rebuilding chains,
  // added up over the files read.
  std::array<double, 3> stage_seconds{};
  // Of a traced scan: every mail file it ran, in order.
  std::vector<ScannedFile> files;

  // Messages found and lost to a failure (not to the catalogue's rules).
  uint64_t Lost() const { return not_written + counts.unreadable; }
};

// Told the bytes digested since it was last called; false stops the digests.
using DigestStep = std::function<bool(uint64_t bytes)>;

struct ScanBytes {
  uint64_t done = 0;
  uint64_t total = 0;
};

// What a session delivers; each is called on the crossing's receiving thread.
struct SessionEvents {
  std::function<void(const std::string& text)> status;
  std::function<void(int position)> progress;
  // How far the block scan has read, in bytes of everything the scan reads.
  std::function<void(const ScanBytes& bytes)> scanned;
  std::function<void(std::vector<catalogue::CatalogueRow>& rows)> rows;
  std::function<void(const ScanOutcome& outcome)> finished;
  // A store read by the session (StartStore of a folder), before any of its rows.
  std::function<void(const store::MailStore& store)> store;
  // Called on the catalogue's own thread for each listed row with the message's
  // bytes, before the row crosses: for work that needs the bytes (hashes, saving).
  std::function<void(const catalogue::CatalogueRow& row, std::span<const char> bytes)> listed;
};

// What a scan does beyond the described flow; all off by default.
struct ScanOptions {
  bool fragments = false;  // list recovered text without headers as fragments
  bool digests = false;    // every row carries the MD5, SHA-1 and SHA-256 of its message
  // Every row carries where its bytes lie and what was mended; the outcome names the
  // files the scan ran.
  bool trace = false;
  // For an examiner's report: each mail file's digests are taken as it is read.
  bool source_digests = false;
  engine::Repair repair = engine::Repair::kNulOnly;
};

class RecoverySession : private engine::RecoveryReporter {
 public:
  // Rows cross in batches at most this often (milliseconds), and at most this many in
  // one task.
  static constexpr int kRowInterval = 100;
  static constexpr size_t kMostRowsAtOnce = 5000;

  RecoverySession(Crossing& crossing, SessionEvents events);
  RecoverySession(const RecoverySession&) = delete;
  RecoverySession& operator=(const RecoverySession&) = delete;
  // Stops a scan that still runs and waits for it; removes the scratch folder.
  ~RecoverySession() override;

  // Starts the scan of `path` on the worker thread. A session scans once.
  void Start(const std::string& path, const ScanOptions& options = {});
  // Starts the scan of every mail file of `store`, folder by folder in tree order;
  // rows carry their folder, and a deleted copy of an existing message says so.
  void StartStore(store::MailStore store, const ScanOptions& options = {});
  // The same for the store in `folder`, read on the worker thread: the store event
  // brings it before its first rows.
  void StartStore(const std::string& folder, const ScanOptions& options = {});
  // The same for a disk image or device, read on the worker thread: the stores on its
  // file systems (the store event brings their tree), then the whole image carved for
  // what no file gave. An image without a file system is scanned whole, as Start does.
  void StartImage(const std::string& path, const ScanOptions& options = {});
  // From any thread; a stop is never taken back.
  void RequestStop() { stop_ = true; }
  bool StopRequested() override { return stop_; }
  // True from Start until the worker has ended.
  bool Running() const { return running_; }
  // Waits for the worker to end.
  void Wait();

  // The engine of a single folder file: its source stays open until the session ends.
  const engine::DbxRecoveryEngine& Engine() const { return engine_; }
  // Where the messages of a row of `folder` are read again, for previews and saving;
  // folder -1 is the single file's.
  const engine::MessageSource& Source(int folder) const;
  // The store being scanned; without folders for a single file. A store the session
  // reads is read here only once its store event has come.
  const store::MailStore& Store() const { return store_; }
  // For a report of a scan that took no digests. `step`, when given, is called on any
  // of the digesting threads with the bytes digested since, and says whether to go on.
  //
  // Gives every row without digests those of its message, read again as the scan read
  // it (from its source, with the scan's repair), on one thread per core; a row whose
  // message cannot be read again keeps none. False when stopped.
  bool DigestRows(std::vector<catalogue::CatalogueRow>& rows,
                  const DigestStep& step = nullptr) const;
  // Gives every undigested file those of its bytes; a file that cannot be read again
  // keeps none and says so. False when stopped.
  bool DigestFiles(std::vector<ScannedFile>& files, const DigestStep& step = nullptr) const;
  const std::string& ScratchPath() const { return scratch_.Path(); }

 private:
  engine::RecoveryReporter& Reporter() { return *this; }
  void EnterStage(engine::Stage stage) override;
  void SetStatus(const std::string& text) override;
  void SetProgress(int position) override;
  void ScanPosition(uint64_t done, uint64_t total) override;
  void AddRecoveredMessage(const engine::ExtractedMessage& message) override;
  void Scan(std::string path);
  // The single source's engine and pipeline, as the options say.
  void PrepareSingle(const std::string& path);
  void MakeSources();
  void ScanStore();
  void AddFileOutcome(const engine::RunOutcome& run, ScanOutcome& outcome);
  // A scan for a report names each file it ran.
  void AddScannedFile(const std::string& path, int folder, const engine::MessageSource& source,
                      const engine::RunOutcome& run, ScanOutcome& outcome) const;
  void Conclude(ScanOutcome outcome);
  // A pipeline for the messages of `folder`; its rows go to the events.
  std::unique_ptr<catalogue::CataloguePipeline> MakePipeline(const std::string& path, int folder);
  void Deliver(catalogue::CatalogueRow& row, std::span<const char> bytes);

  SessionEvents events_;
  platform::ScratchFolder scratch_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  Latest<std::string> status_;
  Latest<int> progress_;
  Latest<ScanBytes> scanned_;
  Batched<catalogue::CatalogueRow> rows_;
  Latest<ScanOutcome> outcome_;
  Latest<bool> store_read_;
  engine::DbxRecoveryEngine engine_;
  std::unique_ptr<engine::Oe4Mailbox> mailbox_;  // a single .mbx file's reader
  ScanOptions options_;
  store::MailStore store_;
  std::vector<std::unique_ptr<engine::MessageSource>> sources_;  // by store folder
  CopyFinder copies_;
  size_t copies_found_ = 0;                       // the pipelines' threads', one after another
  std::string status_prefix_;                     // the folder being scanned
  double progress_base_ = 0, progress_span_ = 1;  // the share of the bar its file takes
  uint64_t bytes_before_ = 0, bytes_total_ = 0;   // a store's files scanned before, and all
  std::unique_ptr<catalogue::CataloguePipeline> catalogue_;
  uint64_t listed_before_ = 0;  // rows listed from the files scanned before
  // SHA-256 of every message a disk image\'s files gave, for its carved scan
  std::unordered_set<std::string> listed_digests_;
  int reported_position_ = -1;                     // the worker's own
  engine::Stage stage_ = engine::Stage::kOpening;  // the worker's own, as the next three
  std::chrono::steady_clock::time_point stage_began_;
  std::array<double, 3> stage_seconds_{};
  std::thread worker_;
};

}  // namespace rescuva::session
