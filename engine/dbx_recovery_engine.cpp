#include "engine/dbx_recovery_engine.h"

#include <array>

#include "engine/file_info_block.h"
#include "platform/evidence.h"
#include "platform/source_file.h"

namespace rescuva::engine {

DbxRecoveryEngine::DbxRecoveryEngine(RecoveryReporter& reporter, std::string temp_folder)
    : reporter_(reporter),
      source_(std::make_unique<platform::SourceFile>()),
      temp_folder_(std::move(temp_folder)) {
  if (temp_folder_.empty() || temp_folder_.back() != '/') temp_folder_ += '/';
}

DbxRecoveryEngine::~DbxRecoveryEngine() = default;

bool DbxRecoveryEngine::OpenSource(const std::string& path) {
  platform::Evidence evidence = platform::OpenEvidence(path);
  open_problem_ = evidence.problem;
  if (!evidence.source) {
    CloseSource();
    return false;
  }
  source_ = std::move(evidence.source);
  std::array<uint8_t, 8> first{};
  kind_ = source_->ReadAt(0, first) ? KindOfFolderFile(first) : FolderFileKind::kOther;
  for (PositionSet* set : {&known_blocks_, &listed_firsts_}) {
    *set = {};
    set->SetFileLength(source_->Length());
  }
  return true;
}

// A closed source reads nothing: an extraction after it fails and says so.
void DbxRecoveryEngine::CloseSource() {
  source_ = std::make_unique<platform::SourceFile>();
}

std::vector<Piece> DbxRecoveryEngine::Pieces() const {
  return pieces_ ? pieces_->Pieces() : std::vector<Piece>{};
}

// A read error in the header or a scan window ends the run as a stop does.
bool DbxRecoveryEngine::Stopping() {
  return read_failed_ || reporter_.StopRequested();
}

RunOutcome DbxRecoveryEngine::Run(const std::string& path) {
  outcome_ = {};
  source_digests_ = {};
  {
    std::lock_guard lock(readings_mutex_);
    readings_.clear();
  }
  reporter_.EnterStage(Stage::kOpening);
  if (!OpenSource(path)) {
    if (!open_problem_.empty()) outcome_.notes.push_back(path + ": " + open_problem_);
    outcome_.ending = RunEnding::kCannotOpen;
    return outcome_;
  }
  reporter_.EnterStage(Stage::kExisting);
  FindExistingMessages();
  if (!Stopping()) ScanForLostBlocks();
  const bool stopped = Stopping();
  reporter_.EnterStage(stopped ? Stage::kStopped : Stage::kDone);
  outcome_.ending = read_failed_ ? RunEnding::kReadError
                    : stopped    ? RunEnding::kStopped
                                 : RunEnding::kDone;
  return outcome_;
}

ChainReading DbxRecoveryEngine::ReadingOf(uint64_t first) const {
  std::lock_guard lock(readings_mutex_);
  const auto it = readings_.find(first);
  return it == readings_.end() ? ChainReading{} : it->second;
}

void DbxRecoveryEngine::RecoverMessage(uint64_t first, bool use_damage_mark,
                                       const ChainReading& reading, const RecordFacts* facts) {
  // a message reached twice in one run (a crafted index naming it again) is listed once
  if (listed_firsts_.Contains(first)) return;
  std::string name = "dd.eml";
  bool damaged = false;
  if (ExtractToTempFolder(temp_folder_, name, first, &damaged, reading)) {
    listed_firsts_.Insert(first);
    if (!reading.IsPlain()) {
      std::lock_guard lock(readings_mutex_);
      readings_[first] = reading;
    }
    ExtractedMessage message{last_written_ ? temp_folder_ + name : std::string(),
                             use_damage_mark && damaged,
                             first,
                             {},
                             false,
                             facts,
                             last_end_,
                             last_stop_,
                             reading.front_unsure};
    if (last_text_held_) message.text = text_, message.held = true;
    if (tracing_) message.trace = &trace_;
    reporter_.AddRecoveredMessage(message);
  } else if (!write_error_.empty()) {
    listed_firsts_.Insert(first);
    if (outcome_.problems.size() < kNamedProblems) {
      outcome_.problems.push_back({first, write_error_});
    }
    ++outcome_.not_written;
  }
}

}  // namespace rescuva::engine
