// Stages 2 and 3: find message blocks anywhere in the file, then rebuild and extract
// the chains that no extracted message used.
#include <algorithm>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "engine/dbx_recovery_engine.h"

namespace rescuva::engine {
namespace {

constexpr uint64_t kWindowSize = 65536;
constexpr uint64_t kWindowStep = 65532;  // windows overlap by 4 bytes
constexpr size_t kHeaderTail = 12;       // header fields of a block found at the window's end

}  // namespace

void DbxRecoveryEngine::ScanForLostBlocks() {
  reporter_.SetProgress(0);
  const uint64_t length = source_.Length();
  reporter_.SetStatus("Process((2/4)) Finding lost emails ...");
  candidates_.clear();
  if (length > 4) {
    std::vector<uint8_t> window(kWindowSize + kHeaderTail);
    std::vector<uint32_t> found;
    for (uint64_t s = 0; s < length - 4; s += kWindowStep) {
      if (Stopping()) break;
      if (!source_.ReadAt(s, window)) {
        read_failed_ = true;
        break;
      }
      reporter_.SetProgress(static_cast<int>(s * 100 / length));
      // offset j is tested when its whole 32-bit value lies in the file
      const size_t tested = static_cast<size_t>(std::min(kWindowStep, length - 3 - s));
      found.clear();
      FindSelfOffsets(window.data(), tested, static_cast<uint32_t>(s), found);
      for (uint32_t j : found) {
        candidates_.push_back({j, LoadLe32(&window[j - s + 12])});
      }
    }
  }
  if (Stopping()) return;
  RebuildLostMessages();
  reporter_.SetStatus("Recovery done, please select emails from list to see preview");
}

void DbxRecoveryEngine::RebuildLostMessages() {
  reporter_.SetStatus("Process((3/4)) Finding lost emails ...");
  const uint64_t n = candidates_.size();
  if (n > 0 && Stopping()) return;
  reporter_.SetProgress(0);
  if (n == 0) return;

  // Predecessors by next offset; among equal ones the lowest offset comes first, as
  // a search of the candidates in file order would find it.
  predecessors_.clear();
  predecessors_.reserve(static_cast<size_t>(
      std::count_if(candidates_.begin(), candidates_.end(),
                    [](const BlockCandidate& c) { return c.next_offset != 0; })));
  for (uint32_t i = 0; i < n; ++i) {
    if (candidates_[i].next_offset != 0) predecessors_.push_back(i);
  }
  // candidates lie in file order: among equal next offsets the lower index is the
  // lower offset
  std::sort(predecessors_.begin(), predecessors_.end(), [this](uint32_t a, uint32_t b) {
    const uint32_t x = candidates_[a].next_offset, y = candidates_[b].next_offset;
    return x != y ? x < y : a < b;
  });

  uint64_t k = 0;
  for (const BlockCandidate& q : candidates_) {
    ++k;
    if (Stopping()) return;
    reporter_.SetProgress(static_cast<int>(k * 100 / n));
    if (q.next_offset != 0 || known_blocks_.Contains(q.offset)) continue;
    uint32_t start = 0;
    for (uint32_t w = q.offset; w != 0; w = FindPredecessor(w)) {
      if (Stopping()) return;
      known_blocks_.Insert(w);
      start = w;
    }
    known_blocks_.Insert(start);
    RecoverMessage(start, true);
  }
}

uint32_t DbxRecoveryEngine::FindPredecessor(uint32_t offset) {
  if (Stopping()) return 0;
  auto it = std::lower_bound(predecessors_.begin(), predecessors_.end(), offset,
                             [this](uint32_t candidate, uint32_t next) {
                               return candidates_[candidate].next_offset < next;
                             });
  return it != predecessors_.end() && candidates_[*it].next_offset == offset
             ? candidates_[*it].offset
             : 0;
}

}  // namespace rescuva::engine
