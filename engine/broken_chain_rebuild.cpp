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

std::optional<BlockStart> ReadBlockStart(const platform::SourceFile& source, uint64_t position) {
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
bool DbxRecoveryEngine::EndsBrokenChain(const BlockCandidate& block,
                                        const std::vector<BlockCandidate>& candidates,
                                        int64_t shift) const {
  const ChainReading reading{shift};
  const uint64_t length = source_.Length();
  const auto start = ReadBlockStart(source_, BlockPosition(block.offset, shift));
  if (!start || !start->header.IsBlockShaped()) return false;
  if (!FindCandidate(candidates, block.next_offset)) return true;
  if (!start->header.IsFreed()) return false;
  const auto next = ReadBlockStart(source_, reading.PositionOf(block.next_offset, length));
  return !next || !next->header.IsFreed() || next->back_pointer != block.offset;
}

// The block before `offset`: for a freed block, the one its pointer names when that
// one names it in turn (none when the pointer is 0: the message's first block); else
// the first candidate naming it, as in the described rebuild.
uint32_t DbxRecoveryEngine::FindBrokenPredecessor(uint32_t offset,
                                                  const std::vector<BlockCandidate>& candidates,
                                                  int64_t shift) {
  const auto start = ReadBlockStart(source_, BlockPosition(offset, shift));
  if (start && start->header.IsFreed()) {
    if (start->back_pointer == 0) return 0;
    const BlockCandidate* before = FindCandidate(candidates, start->back_pointer);
    if (before && before->next_offset == offset) return before->offset;
  }
  return FindPredecessor(offset);
}

void DbxRecoveryEngine::RebuildBrokenChains(const std::vector<BlockCandidate>& candidates,
                                            int64_t shift) {
  auto position = [&](uint32_t offset) { return BlockPosition(offset, shift); };
  for (const BlockCandidate& q : candidates) {
    if (Stopping()) return;
    if (q.next_offset == 0 || known_blocks_.Contains(position(q.offset))) continue;
    if (!EndsBrokenChain(q, candidates, shift)) continue;
    // the walk ends at a block already passed: a chain broken by pointing into
    // another (or into itself) leads back to known blocks
    uint32_t start = q.offset;
    known_blocks_.Insert(position(start));
    for (uint32_t w = FindBrokenPredecessor(start, candidates, shift);
         w != 0 && !known_blocks_.Contains(position(w));
         w = FindBrokenPredecessor(w, candidates, shift)) {
      if (Stopping()) return;
      known_blocks_.Insert(position(w));
      start = w;
    }
    RecoverMessage(position(start), true, {shift, position(q.offset)});
  }
}

}  // namespace rescuva::engine
