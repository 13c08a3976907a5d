// How a message's chain of blocks is read: where its blocks lie in the file, how far it
// is followed, and which repair its text gets.
#pragma once

#include <cstdint>

namespace rescuva::engine {

struct ChainReading {
  // A block named by offset o lies at position o + shift (blocks of a file cut or
  // padded at the front, or glued behind another).
  int64_t shift = 0;
  // When not 0, the position of the chain's last block: a chain rebuilt up to a next
  // offset that names no block of it ends there.
  uint64_t last_block = 0;

  // The position of the block named as `offset`: 0 ends the chain, and a block that
  // would lie outside the file lies just past its end.
  uint64_t PositionOf(uint32_t offset, uint64_t length) const {
    if (offset == 0 || shift == 0) return offset;
    const int64_t at = int64_t{offset} + shift;
    return at > 0 && static_cast<uint64_t>(at) <= length ? static_cast<uint64_t>(at) : length + 1;
  }
  bool operator==(const ChainReading&) const = default;
};

// What an extraction does beyond copying: NUL bytes of a damaged chain become '_' in
// either case; kDeletedBlocks also mends what deletion did to freed blocks.
enum class Repair { kNulOnly, kDeletedBlocks };

}  // namespace rescuva::engine
