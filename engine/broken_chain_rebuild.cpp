// The rebuild after the described one: chains whose last block names no block of
// theirs (a damaged pointer, or a block since given to another message). For freed
// blocks the pointer deletion left in their first data bytes names the block before,
// which confirms both the order and where the chain breaks.
#include <algorithm>
#include <array>
#include <optional>

#include "engine/byte_order.h"
#include "engine/dbx_recovery_engine.h"
#include "engine/message_block.h"

namespace rescuva::engine {
namespace {

struct BlockStart {
  MessageBlockHeader header;
  uint32_t back_pointer = 0;  // the first data word: of a freed block, the block before
};

std::optional<BlockStart> ReadBlockStart(const platform::ByteSource& source, uint64_t position) {
  std::array<uint8_t, kBlockHeaderSize + 4> bytes;
  if (position > source.Length() || !source.ReadAt(position, bytes)) return std::nullopt;
  return BlockStart{MessageBlockHeader::Decode(std::span(bytes).first<kBlockHeaderSize>()),
                    LoadLe32(&bytes[kBlockHeaderSize])};
}

const BlockCandidate* FindCandidate(const std::vector<BlockCandidate>& candidates,
                                    uint32_t offset) {
  auto it = std::lower_bound(candidates.begin(), candidates.end(), offset,
                             [](const BlockCandidate& c, uint32_t o) { return c.offset < o; });
  return it != candidates.end() && it->offset == offset ? &*it : nullptr;
}

}  // namespace

// A block-shaped candidate ends a broken chain when its next offset names no
// candidate, or, freed itself, names a block that is not a freed one pointing back
// at it.
bool DbxRecoveryEngine::EndsBrokenChain(const BlockCandidate& block) const {
  const auto start = ReadBlockStart(*source_, block.offset);
  if (!start || !start->header.IsBlockShaped()) return false;
  if (!FindCandidate(candidates_, block.next_offset)) return true;
  if (!start->header.IsFreed()) return false;
  const auto next = ReadBlockStart(*source_, block.next_offset);
  return !next || !next->header.IsFreed() || next->back_pointer != block.offset;
}

// The block before `offset`: for a freed block, the one its pointer names when that
// one names it in turn (none when the pointer is 0: the message's first block); else
// the first candidate naming it, as in the described rebuild.
uint32_t DbxRecoveryEngine::FindBrokenPredecessor(uint32_t offset) {
  const auto start = ReadBlockStart(*source_, offset);
  if (start && start->header.IsFreed()) {
    if (start->back_pointer == 0) return 0;
    const BlockCandidate* before = FindCandidate(candidates_, start->back_pointer);
    if (before && before->next_offset == offset) return before->offset;
  }
  return FindPredecessor(offset);
}

// Each such chain is listed as cut: its next block was not found, or it is another
// message's.
void DbxRecoveryEngine::RebuildBrokenChains() {
  for (const BlockCandidate& q : candidates_) {
    if (Stopping()) return;
    if (q.next_offset == 0 || known_blocks_.Contains(q.offset)) continue;
    if (!EndsBrokenChain(q)) continue;
    // the walk ends at a block already passed: a chain broken by pointing into
    // another (or into itself) leads back to known blocks
    uint32_t start = q.offset;
    known_blocks_.Insert(start);
    for (uint32_t w = FindBrokenPredecessor(start); w != 0 && !known_blocks_.Contains(w);
         w = FindBrokenPredecessor(w)) {
      if (Stopping()) return;
      known_blocks_.Insert(w);
      start = w;
    }
    ChainReading reading;
    reading.last_block = q.offset;
    reading.end =
        FindCandidate(candidates_, q.next_offset) ? ChainEnd::kNextTaken : ChainEnd::kNextMissing;
    RecoverMessage(start, true, reading);
  }
}

}  // namespace rescuva::engine
