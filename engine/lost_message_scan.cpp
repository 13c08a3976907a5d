// Stages 2 and 3: find message blocks anywhere in the file, then rebuild and extract
// the chains that no extracted message used.
#include <algorithm>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "engine/dbx_recovery_engine.h"
#include "engine/message_block.h"
#include "engine/shift_evidence.h"

namespace rescuva::engine {
namespace {

constexpr uint64_t kWindowSize = 65536;
constexpr uint64_t kWindowStep = 65532;  // windows overlap by 4 bytes
constexpr size_t kHeaderTail = 12;       // header fields of a block found at the window's end
constexpr size_t kWindowTail = std::max(kHeaderTail, ShiftEvidence::kLookAhead);
// A file carved from an image may hold several folder files; beyond these many
// shifts, what is left is noise.
constexpr size_t kMostShifts = 8;
// An honest file holds a block per 0x210 bytes; a crafted one that holds its own
// offsets at many shifts keeps at most this share of candidates per byte of file.
constexpr uint64_t kBytesPerShiftedCandidate = 16;

// Calls `visit(position, bytes, tested)` for each window of the file, in order, until
// it returns false; false when a read fails.
template <typename Visit>
bool ForEachWindow(const platform::SourceFile& source, Visit visit) {
  const uint64_t length = source.Length();
  if (length <= 4) return true;
  std::vector<uint8_t> window(kWindowSize + kWindowTail);
  for (uint64_t s = 0; s < length - 4; s += kWindowStep) {
    if (!source.ReadAt(s, window)) return false;
    // offset j is tested when its whole 32-bit value lies in the file
    const size_t tested = static_cast<size_t>(std::min(kWindowStep, length - 3 - s));
    if (!visit(s, window, tested)) break;
  }
  return true;
}

}  // namespace

void DbxRecoveryEngine::ScanForLostBlocks() {
  reporter_.SetProgress(0);
  const uint64_t length = source_.Length();
  reporter_.EnterStage(Stage::kLostBlocks);
  candidates_.clear();
  shifted_.clear();
  ShiftEvidence evidence;
  std::vector<uint32_t> found;
  const bool read = ForEachWindow(source_, [&](uint64_t s, const auto& window, size_t tested) {
    if (Stopping()) return false;
    reporter_.SetProgress(static_cast<int>(s * 100 / length));
    found.clear();
    FindSelfOffsets(window.data(), tested, static_cast<uint32_t>(s), found);
    for (uint32_t j : found) {
      candidates_.push_back({j, LoadLe32(&window[j - s + 12])});
    }
    evidence.Scan(window.data(), tested, s);
    return true;
  });
  read_failed_ = read_failed_ || !read;
  if (Stopping()) return;
  FindShiftedBlocks(evidence.Accepted(kMostShifts));
  if (Stopping()) return;
  RebuildLostMessages();
  reporter_.EnterStage(Stage::kListed);
}

// A shifted block at position j holds j - shift; the same in-memory test finds it with
// the window's base moved by the shift.
void DbxRecoveryEngine::FindShiftedBlocks(const std::vector<int64_t>& shifts) {
  if (shifts.empty()) return;
  for (int64_t shift : shifts) shifted_.push_back({shift, {}});
  const uint64_t most = source_.Length() / kBytesPerShiftedCandidate + 1024;
  uint64_t kept = 0;
  std::vector<uint32_t> found;
  const bool read = ForEachWindow(source_, [&](uint64_t s, const auto& window, size_t tested) {
    if (Stopping()) return false;
    for (ShiftedBlocks& blocks : shifted_) {
      const auto base = static_cast<uint32_t>(static_cast<int64_t>(s) - blocks.shift);
      found.clear();
      FindSelfOffsets(window.data(), tested, base, found);
      for (uint32_t own : found) {
        const uint64_t k = static_cast<uint32_t>(own - base);
        // an offset that wrapped around names no block of this file
        if (own == 0 || int64_t{own} + blocks.shift != static_cast<int64_t>(s + k)) continue;
        if (++kept > most) break;
        blocks.candidates.push_back({own, LoadLe32(&window[k + 12])});
      }
    }
    return true;
  });
  read_failed_ = read_failed_ || !read;
  // each folder file whose header lies at its shift lists what its index names
  for (const ShiftedBlocks& blocks : shifted_) {
    if (Stopping()) return;
    if (blocks.shift > 0) ListIndexedMessages(blocks.shift, false);
  }
}

void DbxRecoveryEngine::RebuildLostMessages() {
  reporter_.EnterStage(Stage::kChains);
  const uint64_t n = candidates_.size();
  if (n > 0 && Stopping()) return;
  reporter_.SetProgress(0);
  if (n > 0) RebuildChains(candidates_, 0, true);
  for (const ShiftedBlocks& blocks : shifted_) {
    if (Stopping()) return;
    RebuildChains(blocks.candidates, blocks.shift, false);
  }
}

void DbxRecoveryEngine::RebuildChains(const std::vector<BlockCandidate>& candidates, int64_t shift,
                                      bool report_progress) {
  const uint64_t n = candidates.size();
  auto position = [&](uint32_t offset) { return BlockPosition(offset, shift); };
  rebuilt_ = &candidates;
  // Predecessors by next offset; among equal ones the lowest offset comes first, as
  // a search of the candidates in file order would find it.
  predecessors_.clear();
  predecessors_.reserve(static_cast<size_t>(
      std::count_if(candidates.begin(), candidates.end(),
                    [](const BlockCandidate& c) { return c.next_offset != 0; })));
  for (uint32_t i = 0; i < n; ++i) {
    if (candidates[i].next_offset != 0) predecessors_.push_back(i);
  }
  // candidates lie in file order: among equal next offsets the lower index is the
  // lower offset
  std::sort(predecessors_.begin(), predecessors_.end(), [&](uint32_t a, uint32_t b) {
    const uint32_t x = candidates[a].next_offset, y = candidates[b].next_offset;
    return x != y ? x < y : a < b;
  });

  uint64_t k = 0;
  for (const BlockCandidate& q : candidates) {
    ++k;
    if (Stopping()) return;
    if (report_progress) reporter_.SetProgress(static_cast<int>(k * 100 / n));
    if (q.next_offset != 0 || known_blocks_.Contains(position(q.offset))) continue;
    uint32_t start = 0;
    for (uint32_t w = q.offset; w != 0; w = FindPredecessor(w)) {
      if (Stopping()) return;
      known_blocks_.Insert(position(w));
      start = w;
    }
    known_blocks_.Insert(position(start));
    RecoverMessage(position(start), true, {shift});
  }
  RebuildBrokenChains(candidates, shift);
}

// Candidates lie within the file, so their positions do too.
uint32_t DbxRecoveryEngine::BlockPosition(uint32_t offset, int64_t shift) const {
  return static_cast<uint32_t>(ChainReading{shift}.PositionOf(offset, source_.Length()));
}

uint32_t DbxRecoveryEngine::FindPredecessor(uint32_t offset) {
  if (Stopping()) return 0;
  const std::vector<BlockCandidate>& candidates = *rebuilt_;
  auto it = std::lower_bound(
      predecessors_.begin(), predecessors_.end(), offset,
      [&](uint32_t candidate, uint32_t next) { return candidates[candidate].next_offset < next; });
  return it != predecessors_.end() && candidates[*it].next_offset == offset ? candidates[*it].offset
                                                                            : 0;
}

}  // namespace rescuva::engine
