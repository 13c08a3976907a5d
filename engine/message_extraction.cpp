// Extracting a listed message: into a scratch file for a stage, into a file or into
// memory for the owner.
#include <algorithm>
#include <vector>

#include "engine/dbx_recovery_engine.h"

namespace rescuva::engine {
namespace {

constexpr int kMaxScratchNameAttempts = 10000;

}  // namespace

bool DbxRecoveryEngine::ExtractToTempFolder(std::string folder, std::string& name, uint64_t first,
                                            bool* damaged, const ChainReading& reading) {
  const uint64_t start = first;
  write_error_.clear();
  last_text_held_ = false;
  last_written_ = false;
  auto* blocks = repair_ == Repair::kDeletedBlocks ? &gathered_blocks_ : nullptr;
  ChainTrace* trace = tracing_ ? &trace_ : nullptr;
  const ChainSummary chain =
      ChainExtractor(*source_, trace).Measure(start, reading, &known_blocks_, text_, blocks);
  const auto repair_blocks =
      blocks ? std::span<const GatheredBlock>(*blocks) : std::span<const GatheredBlock>();
  if (damaged) *damaged = chain.damaged;
  last_end_ = chain.end;
  last_stop_ = chain.stop;
  if (chain.total == 0) return false;
  if (!scratch_copies_ && chain.text_complete) {
    ChainExtractor::FinishText(chain, text_, repair_blocks, trace);
    last_text_held_ = true;
    return true;
  }
  if (folder.empty() || folder.back() != '/') folder += '/';
  // The scratch file is replaced; when that fails it is deleted, and when it cannot
  // be deleted the next free numbered name is taken. A folder that takes no file at
  // all (missing, not writable, full) makes no other name work either.
  platform::OutputFile out;
  std::string path = folder + name;
  if (!out.Create(path, false)) {
    last_scratch_path_.clear();
    platform::RemoveFile(path);
    if (platform::PathExists(path) || !out.Create(path, false)) {
      bool found = false;
      bool names_help = out.NameInTheWay() && platform::IsWritableFolder(folder);
      for (int k = 0; k < kMaxScratchNameAttempts && !found && names_help; ++k) {
        std::string candidate = folder + std::to_string(k) + name;
        if (!platform::PathExists(candidate) ||
            (platform::RemoveFile(candidate) && !platform::PathExists(candidate))) {
          found = out.Create(candidate, false);
          names_help = out.NameInTheWay();
          if (found) {
            name = std::to_string(k) + name;
            path = candidate;
          }
        }
      }
      if (!found) {
        write_error_ = "cannot write a scratch file in " + folder + ": " + out.Error();
        return false;
      }
    }
  }
  const ChainCopy copy =
      ChainExtractor(*source_, trace).Write(start, reading, chain, text_, repair_blocks, out);
  const bool written = copy == ChainCopy::kCopied;
  const bool longer = written && chain.text_complete && path == last_scratch_path_ &&
                      out.Size() >= last_scratch_length_;
  last_scratch_path_ = path;
  last_scratch_length_ = out.Size();
  const bool closed = out.Close(!longer);
  if (!written || !closed) {
    last_scratch_path_.clear();
    write_error_ = copy == ChainCopy::kReadFailed ? "cannot read the folder file"
                                                  : "cannot write " + path + ": " + out.Error();
    return false;
  }
  last_text_held_ = chain.text_complete;
  last_written_ = true;
  return true;
}

bool DbxRecoveryEngine::ExtractToBytes(uint64_t first, Repair repair, std::vector<uint8_t>& text,
                                       std::string* error) const {
  const uint64_t start = first;
  std::vector<GatheredBlock> blocks;  // gathers the whole text
  const ChainSummary chain =
      ChainExtractor(*source_).Measure(start, ReadingOf(start), nullptr, text, &blocks);
  auto fail = [&](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  if (chain.total == 0) return fail("the message's chain holds no data");
  if (!chain.text_complete) return fail("cannot read the folder file");
  if (repair != Repair::kDeletedBlocks) blocks.clear();
  ChainExtractor::FinishText(chain, text, blocks);
  return true;
}

bool DbxRecoveryEngine::ExtractToFile(const std::string& path, uint64_t first, Repair repair,
                                      bool* damaged, std::string* error) const {
  const uint64_t start = first;
  const ChainReading reading = ReadingOf(start);
  std::vector<uint8_t> text;
  std::vector<GatheredBlock> blocks;
  const bool repairing = repair == Repair::kDeletedBlocks;
  const ChainSummary chain = ChainExtractor(*source_).Measure(start, reading, nullptr, text,
                                                              repairing ? &blocks : nullptr);
  if (damaged) *damaged = chain.damaged;
  auto fail = [&](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  if (chain.total == 0) return fail("the message's chain holds no data");
  platform::OutputFile out;
  if (!out.Create(path, false)) return fail("cannot create " + path + ": " + out.Error());
  const ChainCopy copy = ChainExtractor(*source_).Write(start, reading, chain, text, blocks, out);
  const bool closed = out.Close();
  if (copy == ChainCopy::kReadFailed) return fail("cannot read the folder file");
  if (copy == ChainCopy::kWriteFailed || !closed) {
    return fail("cannot write " + path + ": " + out.Error());
  }
  return true;
}

}  // namespace rescuva::engine
