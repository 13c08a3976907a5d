#include "session/recovery_session.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "disk/disk_image.h"
#include "engine/source_digester.h"
#include "platform/digests.h"
#include "store/image_positions.h"

#include "session/scan_outcome_text.h"

namespace rescuva::session {

RecoverySession::RecoverySession(Crossing& crossing, SessionEvents events)
    : events_(std::move(events)),
      status_(crossing,
              [this](const std::string& text) {
                if (events_.status) events_.status(text);
              }),
      progress_(crossing,
                [this](const int& position) {
                  if (events_.progress) events_.progress(position);
                }),
      scanned_(crossing,
               [this](const ScanBytes& bytes) {
                 if (events_.scanned) events_.scanned(bytes);
               }),
      rows_(
          crossing, kRowInterval,
          [this](std::vector<catalogue::CatalogueRow>& rows) {
            if (events_.rows) events_.rows(rows);
          },
          kMostRowsAtOnce),
      outcome_(crossing,
               [this](const ScanOutcome& outcome) {
                 if (events_.finished) events_.finished(outcome);
               }),
      // the store is not written again once read: the receiving thread may read it
      store_read_(crossing,
                  [this](const bool&) {
                    if (events_.store) events_.store(store_);
                  }),
      engine_(*this, scratch_.Path()) {}

RecoverySession::~RecoverySession() {
  stop_ = true;
  Wait();
  status_.Close();
  progress_.Close();
  scanned_.Close();
  rows_.Close();
  outcome_.Close();
  store_read_.Close();
  engine_.CloseSource();
}

void RecoverySession::Start(const std::string& path, const ScanOptions& options) {
  if (running_ || worker_.joinable()) return;
  running_ = true;
  options_ = options;
  PrepareSingle(path);
  worker_ = std::thread([this, path] { Scan(path); });
}

void RecoverySession::PrepareSingle(const std::string& path) {
  engine_.SetRepair(options_.repair);
  engine_.SetTracing(options_.trace);
  engine_.SetSourceDigests(options_.source_digests);
  // the catalogue takes the engine's bytes: a scratch copy only of what it cannot hold
  engine_.SetScratchCopies(false);
  {
    platform::SourceFile file;
    if (file.Open(path) && engine::Oe4Mailbox::IsMailbox(file)) {
      mailbox_ = std::make_unique<engine::Oe4Mailbox>(Reporter());
      mailbox_->SetTracing(options_.trace);
      mailbox_->SetSourceDigests(options_.source_digests);
    }
  }
  catalogue_ = MakePipeline(path, -1);
}

void RecoverySession::StartImage(const std::string& path, const ScanOptions& options) {
  if (running_ || worker_.joinable()) return;
  running_ = true;
  options_ = options;
  worker_ = std::thread([this, path] {
    EnterStage(engine::Stage::kOpening);
    if (auto image = disk::ReadDiskImage(path, scratch_.Path(), stop_)) {
      store_ = std::move(image->store);
      MakeSources();
      store_read_.Set(true);
      ScanStore();
      return;
    }
    PrepareSingle(path);
    Scan(path);
  });
}

void RecoverySession::StartStore(store::MailStore store, const ScanOptions& options) {
  if (running_ || worker_.joinable()) return;
  running_ = true;
  options_ = options;
  store_ = std::move(store);
  MakeSources();
  worker_ = std::thread([this] { ScanStore(); });
}

// A folder list may be large or hostile: it is read on the worker, and the store
// crosses before the first of its rows.
void RecoverySession::StartStore(const std::string& folder, const ScanOptions& options) {
  if (running_ || worker_.joinable()) return;
  running_ = true;
  options_ = options;
  worker_ = std::thread([this, folder] {
    EnterStage(engine::Stage::kOpening);
    store_ = store::ReadStore(folder);
    MakeSources();
    store_read_.Set(true);
    ScanStore();
  });
}

// Every reader exists before the scan, so that a row's reader can be asked for its
// message while the scan goes on.
void RecoverySession::MakeSources() {
  sources_.resize(store_.folders.size());
  for (size_t f : store_.MailFolders()) {
    if (store_.folders[f].format == store::MailFormat::kOe4Mailbox) {
      sources_[f] = std::make_unique<engine::Oe4Mailbox>(Reporter());
    } else {
      auto engine = std::make_unique<engine::DbxRecoveryEngine>(Reporter(), scratch_.Path());
      engine->SetRepair(options_.repair);
      engine->SetScratchCopies(false);
      sources_[f] = std::move(engine);
    }
    sources_[f]->SetTracing(options_.trace);
    sources_[f]->SetSourceDigests(options_.source_digests);
  }
}

std::unique_ptr<catalogue::CataloguePipeline> RecoverySession::MakePipeline(const std::string& path,
                                                                            int folder) {
  auto pipeline = std::make_unique<catalogue::CataloguePipeline>(
      path,
      [this](catalogue::CatalogueRow& row, std::span<const char> bytes) { Deliver(row, bytes); },
      options_.fragments, options_.digests, folder, listed_before_);
  const bool carving = std::any_of(store_.folders.begin(), store_.folders.end(),
                                   [](const store::StoreFolder& f) { return f.carved; });
  if (carving && folder >= 0) {
    // the carved scan of an image lists only what no file of it gave; the pipelines run
    // one after another, the carved one last
    const bool carved = store_.folders[static_cast<size_t>(folder)].carved;
    pipeline->SetFilter(
        [this, carved](const catalogue::CatalogueRow&, std::span<const char> bytes) {
          platform::Hasher hash(platform::HashKind::kSha256);
          hash.Update({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
          std::string digest = hash.HexDigest();
          if (carved) return !listed_digests_.contains(digest);
          listed_digests_.insert(std::move(digest));
          return true;
        });
  }
  return pipeline;
}

// Rows of a store learn and tell copies; a single file's go as they are. The row is
// the session's to keep: it crosses without a copy.
void RecoverySession::Deliver(catalogue::CatalogueRow& row, std::span<const char> bytes) {
  // a mail file copied out of a disk image: its runs are told as places in the image
  if (row.folder >= 0 && store_.folders[static_cast<size_t>(row.folder)].on_disk &&
      !row.trace.runs.empty()) {
    row.trace.runs = store::ImagePositions(
        row.trace.runs, store_.folders[static_cast<size_t>(row.folder)].on_disk->extents);
  }
  if (row.folder >= 0 && !row.fragment) {
    if (!row.deleted) {
      copies_.LearnListed(row, bytes);
    } else if (auto copy = copies_.CopyOf(row, bytes)) {
      row.copy_of = copy;
      ++copies_found_;
    }
  }
  if (events_.listed) events_.listed(row, bytes);
  if (events_.rows) rows_.Add(std::move(row));
}

const engine::MessageSource& RecoverySession::Source(int folder) const {
  if (folder >= 0 && static_cast<size_t>(folder) < sources_.size() && sources_[folder]) {
    return *sources_[folder];
  }
  if (mailbox_) return *mailbox_;
  return engine_;
}

bool RecoverySession::DigestRows(std::vector<catalogue::CatalogueRow>& rows,
                                 const DigestStep& step) const {
  std::atomic<size_t> next{0};
  std::atomic<bool> stopped{false};
  auto digest = [&] {
    std::vector<uint8_t> text;
    for (size_t i = next++; i < rows.size() && !stopped; i = next++) {
      catalogue::CatalogueRow& row = rows[i];
      if (!row.digests.Empty()) continue;
      if (Source(row.folder).ExtractToBytes(row.offset, options_.repair, text)) {
        row.digests = platform::DigestsOf(text);
      }
      if (step && !step(row.size)) stopped = true;
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < std::thread::hardware_concurrency(); ++i) helpers.emplace_back(digest);
  digest();
  for (std::thread& helper : helpers) helper.join();
  return !stopped;
}

bool RecoverySession::DigestFiles(std::vector<ScannedFile>& files, const DigestStep& step) const {
  for (ScannedFile& file : files) {
    if (!file.Undigested()) continue;
    const engine::RunEnding digested = engine::DigestWholeSource(
        Source(file.folder).Source(), step ? step : [](uint64_t) { return true; },
        file.facts.digests);
    if (digested == engine::RunEnding::kStopped) return false;
    file.ending = digested;
  }
  return true;
}

void RecoverySession::Wait() {
  if (worker_.joinable()) worker_.join();
}

void RecoverySession::Scan(std::string path) {
  const engine::RunOutcome run = mailbox_ ? mailbox_->Run(path) : engine_.Run(path);
  catalogue_->Finish();
  ScanOutcome outcome;
  outcome.ending = run.ending;
  AddFileOutcome(run, outcome);
  AddScannedFile(path, -1,
                 mailbox_ ? *mailbox_ : static_cast<const engine::MessageSource&>(engine_), run,
                 outcome);
  // a file that gave no message says whether it was a mail folder at all
  if (!mailbox_ && run.ending == engine::RunEnding::kDone &&
      outcome.counts.existing + outcome.counts.deleted == 0) {
    if (auto note = NoMailNote(path, engine_.Kind())) outcome.notes.push_back(*note);
  }
  Conclude(std::move(outcome));
}

namespace {

void AddCounts(const catalogue::CatalogueCounts& from, catalogue::CatalogueCounts& to) {
  to.listed += from.listed;
  to.existing += from.existing;
  to.deleted += from.deleted;
  to.fragments += from.fragments;
  to.cut += from.cut;
  to.without_headers += from.without_headers;
  to.not_messages += from.not_messages;
  to.unreadable += from.unreadable;
  to.already_listed += from.already_listed;
}

// Where a stage's time is added up: the three stages of the search.
std::optional<size_t> TimedSlot(engine::Stage stage) {
  switch (stage) {
    case engine::Stage::kExisting:
      return 0;
    case engine::Stage::kLostBlocks:
      return 1;
    case engine::Stage::kChains:
      return 2;
    default:
      return std::nullopt;
  }
}

uint64_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

}  // namespace

// What one file's run and its finished pipeline add to the outcome.
void RecoverySession::AddFileOutcome(const engine::RunOutcome& run, ScanOutcome& outcome) {
  AddCounts(catalogue_->Counts(), outcome.counts);
  listed_before_ = outcome.counts.listed;
  outcome.not_written += run.not_written;
  outcome.notes.insert(outcome.notes.end(), run.notes.begin(), run.notes.end());
  for (const auto* problems : {&run.problems, &catalogue_->Counts().problems}) {
    for (const auto& problem : *problems) {
      if (outcome.problems.size() < engine::kNamedProblems) outcome.problems.push_back(problem);
    }
  }
}

void RecoverySession::AddScannedFile(const std::string& path, int folder,
                                     const engine::MessageSource& source,
                                     const engine::RunOutcome& run, ScanOutcome& outcome) const {
  if (options_.trace || options_.source_digests) {
    outcome.files.push_back({path, folder, source.Facts(), run.ending});
  }
}

// The outcome crosses after the last rows.
void RecoverySession::Conclude(ScanOutcome outcome) {
  outcome.stage_seconds = stage_seconds_;
  outcome.scratch_folder = scratch_.Path();
  outcome.scratch_error = scratch_.Error();
  rows_.Flush();
  outcome_.Set(std::move(outcome));
  running_ = false;
}

// Each mail file is run by a reader of its own, which stays for previews and saving.
// The existing messages every index names are learnt first, so that a deleted copy is
// told whichever folder comes first.
void RecoverySession::ScanStore() {
  ScanOutcome outcome;
  outcome.notes = store_.notes;
  const std::vector<size_t> mail = store_.MailFolders();
  EnterStage(engine::Stage::kOpening);
  uint64_t total = 0;
  for (size_t f : mail) {
    total += FileSize(store_.folders[f].file);
    if (store_.folders[f].format == store::MailFormat::kFolderFile) {
      copies_.LearnIndexed(static_cast<int>(f), store_.folders[f].file, stop_);
    }
  }
  if (mail.empty()) outcome.ending = engine::RunEnding::kCannotOpen;
  uint64_t done = 0;
  for (size_t f : mail) {
    if (stop_) {
      outcome.ending = engine::RunEnding::kStopped;
      break;
    }
    const store::StoreFolder& folder = store_.folders[f];
    status_prefix_ = store_.PathText(f) + ": ";
    const uint64_t size = FileSize(folder.file);
    progress_base_ = total ? double(done) / double(total) : 0;
    progress_span_ = total ? double(size) / double(total) : 0;
    bytes_before_ = done, bytes_total_ = total;
    done += size;
    catalogue_ = MakePipeline(folder.file, static_cast<int>(f));
    const engine::RunOutcome run = sources_[f]->Run(folder.file);
    catalogue_->Finish();
    AddFileOutcome(run, outcome);
    AddScannedFile(folder.file, static_cast<int>(f), *sources_[f], run, outcome);
    if (run.ending == engine::RunEnding::kCannotOpen) {
      outcome.notes.push_back(folder.file + ": cannot be opened; nothing read from it");
    } else if (run.ending == engine::RunEnding::kReadError) {
      outcome.notes.push_back(folder.file + ": reading failed; its listing ends there");
      outcome.ending = engine::RunEnding::kReadError;
    } else if (run.ending == engine::RunEnding::kStopped) {
      outcome.ending = engine::RunEnding::kStopped;
    }
  }
  status_prefix_.clear();
  progress_base_ = 0, progress_span_ = 1;
  bytes_before_ = 0, bytes_total_ = 0;
  if (outcome.ending == engine::RunEnding::kDone) SetProgress(100);
  EnterStage(outcome.ending == engine::RunEnding::kStopped ? engine::Stage::kStopped
                                                           : engine::Stage::kDone);
  outcome.copies = copies_found_;
  Conclude(std::move(outcome));
}

// The time of each timed stage adds up over the files of a store.
void RecoverySession::EnterStage(engine::Stage stage) {
  const auto now = std::chrono::steady_clock::now();
  if (const auto slot = TimedSlot(stage_)) {
    stage_seconds_[*slot] += std::chrono::duration<double>(now - stage_began_).count();
  }
  stage_ = stage;
  stage_began_ = now;
  SetStatus(engine::StageText(stage));
}

void RecoverySession::SetStatus(const std::string& text) {
  status_.Set(status_prefix_ + text);
}

// Only a new position crosses: the stages report before every unit, the bar moves a
// hundred times at most.
void RecoverySession::SetProgress(int position) {
  position = static_cast<int>(100 * progress_base_ + progress_span_ * position);
  if (position == reported_position_) return;
  reported_position_ = position;
  progress_.Set(position);
}

void RecoverySession::ScanPosition(uint64_t done, uint64_t total) {
  scanned_.Set({bytes_before_ + done, bytes_total_ ? bytes_total_ : total});
}

void RecoverySession::AddRecoveredMessage(const engine::ExtractedMessage& message) {
  catalogue_->Add(message);
}

}  // namespace rescuva::session
