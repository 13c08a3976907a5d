// One recovery of one Outlook Express folder file, or of the folder files in a device or
// disk image: stage 1 lists what the index names (IndexReader), stage 2 scans every
// byte (BlockScanner), stage 3 rebuilds the orphan chains (and ChainBuilder those in
// pieces); any listed message is extracted again by its first block (ChainExtractor).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/block_scanner.h"
#include "engine/chain_builder.h"
#include "engine/chain_extractor.h"
#include "engine/chain_reading.h"
#include "engine/deleted_block_repair.h"
#include "engine/file_info_block.h"
#include "engine/folder_file_header.h"
#include "engine/message_info_record.h"
#include "engine/message_source.h"
#include "engine/position_set.h"
#include "engine/recovery_reporter.h"
#include "engine/run_outcome.h"
#include "platform/byte_source.h"
#include "platform/digests.h"
#include "platform/scratch_files.h"

namespace rescuva::engine {

class DbxRecoveryEngine : public MessageSource {
 public:
  // Scratch files are written into `temp_folder`, which the owner provides.
  DbxRecoveryEngine(RecoveryReporter& reporter, std::string temp_folder);
  DbxRecoveryEngine(const DbxRecoveryEngine&) = delete;
  DbxRecoveryEngine& operator=(const DbxRecoveryEngine&) = delete;
  ~DbxRecoveryEngine() override;

  // Opens the file, device or image and runs the three stages; says how the run
  // ended. The source stays open afterwards so that messages can still be extracted.
  RunOutcome Run(const std::string& path) override;
  bool OpenSource(const std::string& path);
  // Why the last OpenSource failed when the source is recognised but cannot be read
  // ("an EWF image, but its segment .E02 is missing"); else empty.
  const std::string& OpenProblem() const { return open_problem_; }
  void CloseSource() override;
  // What the engine reads: the source last opened, or one that reads nothing.
  const platform::ByteSource& Source() const override { return *source_; }
  const std::string& TempFolder() const { return temp_folder_; }
  // What the header of the file last opened says it is; a damaged header reads as
  // kOther.
  FolderFileKind Kind() const { return kind_; }
  // The repair the stages' extractions get; set before Run.
  void SetRepair(Repair repair) { repair_ = repair; }
  // Off: a stage's message whose text the engine holds whole is handed over without
  // a scratch copy (its path is then empty); set before Run.
  void SetScratchCopies(bool written) { scratch_copies_ = written; }
  // The block scan digests the source as it reads it.
  SourceFacts Facts() const override {
    return {source_->Length(), source_digests_, source_->Stored()};
  }

  // Writes the chain starting at `first` to folder + name, where name starts as the
  // scratch name and falls back to "0" + name, "1" + name, ... when the file cannot be
  // replaced. Every block passed joins the known blocks. False when the chain holds
  // no data or its file cannot be written whole (the run's outcome then names the
  // message and why). `damaged` receives this extraction's damage mark.
  // `reading` says where the chain's blocks lie and where it ends.
  bool ExtractToTempFolder(std::string folder, std::string& name, uint64_t first,
                           bool* damaged = nullptr, const ChainReading& reading = {});
  // Writes the chain starting at `first` to `path`, read as the run found it. False
  // when the chain holds no data or the file cannot be written whole; `error` then
  // says why. Safe to call while Run works on another thread.
  bool ExtractToFile(const std::string& path, uint64_t first, Repair repair = Repair::kNulOnly,
                     bool* damaged = nullptr, std::string* error = nullptr) const override;
  // The same text into memory: false (and `error` says why) when the chain holds no
  // data or the file cannot be read.
  bool ExtractToBytes(uint64_t first, Repair repair, std::vector<uint8_t>& text,
                      std::string* error = nullptr) const override;

  // Stage 1: the messages the index still lists.
  void FindExistingMessages();

  // Stages 2 and 3: blocks found anywhere in the file, and the chains no extracted
  // message used.
  void ScanForLostBlocks();
  void RebuildLostMessages();
  uint32_t FindPredecessor(uint32_t offset);
  // The pieces in which blocks were found away from their own offsets.
  std::vector<Piece> Pieces() const;

 private:
  // Extracts a stage's message to the scratch folder and hands it to the reporter;
  // a message that cannot be written is counted in the outcome.
  void RecoverMessage(uint64_t first, bool use_damage_mark, const ChainReading& reading = {},
                      const RecordFacts* facts = nullptr);
  // How the chain of a message this run listed is read; the plain reading otherwise.
  ChainReading ReadingOf(uint64_t first) const;
  bool Stopping();

  // The index of a folder file whose header lies at `shift`; stage 1 reads it at 0.
  void ListIndexedMessages(int64_t shift, bool report_progress);
  // Blocks found away from their own offsets make pieces; the blocks hidden where
  // pieces meet are read, and the index of each folder file whose header was found
  // inside the source is walked.
  void PlaceBlocks(std::vector<PlacedBlock> placed, const std::vector<uint64_t>& headers);
  // The described rebuild over the candidates, then the chains that end in a next
  // offset naming no block of theirs, then the chains of the pieces.
  void RebuildChains();
  void RebuildBrokenChains();
  bool EndsBrokenChain(const BlockCandidate& block) const;
  uint32_t FindBrokenPredecessor(uint32_t offset);
  // How the message whose first block has own offset `first` is read when its folder
  // file lies at `shift`.
  ChainReading ReadingAt(uint32_t first, int64_t shift) const;

  RecoveryReporter& reporter_;
  std::unique_ptr<platform::ByteSource> source_;  // never null; closed, it reads nothing
  std::string open_problem_;
  PositionSet known_blocks_;
  std::vector<BlockCandidate> candidates_;
  std::unique_ptr<ChainBuilder> pieces_;
  // The candidates that name a next block, by (next offset, offset): indexes into
  // candidates_, four bytes each however many candidates a crafted file holds.
  std::vector<uint32_t> predecessors_;
  std::string temp_folder_;
  std::vector<uint8_t> text_;  // the text of the message being extracted by a stage
  // The scratch file last written and its length: a longer text needs no cutting.
  std::string last_scratch_path_;
  uint64_t last_scratch_length_ = 0;
  bool read_failed_ = false;
  std::string write_error_;
  bool last_text_held_ = false;  // text_ holds the message last written, whole
  PositionSet listed_firsts_;    // first blocks of the messages handed over in this run
  RunOutcome outcome_;
  FolderFileKind kind_ = FolderFileKind::kOther;
  Repair repair_ = Repair::kNulOnly;
  bool scratch_copies_ = true;
  bool last_written_ = false;             // the last stage extraction wrote its scratch file
  ChainEnd last_end_ = ChainEnd::kWhole;  // how the chain last extracted by a stage ended
  uint64_t last_stop_ = 0;
  std::vector<GatheredBlock> gathered_blocks_;
  ChainTrace trace_;  // of the message last extracted by a stage
  platform::DigestSet source_digests_;
  // Listed messages whose chains are not read plainly, by first block; read by
  // ExtractToFile on other threads.
  mutable std::mutex readings_mutex_;
  std::unordered_map<uint64_t, ChainReading> readings_;
};

}  // namespace rescuva::engine
