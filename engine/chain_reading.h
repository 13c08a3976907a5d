// How a message's chain of blocks is read: where its blocks lie in the source, how far
// it is followed, how it ended, and which repair its text gets.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace rescuva::engine {

// Bytes from a block's header to the end of its data.
constexpr uint32_t kBlockSpan = 0x210;

// Where one block's bytes lie: the first `head` bytes at `position`, the rest at
// `rest` (a block the file system cut at the end of a piece goes on where the next
// piece begins).
struct BlockPlace {
  uint64_t position = 0;
  uint64_t rest = 0;
  uint32_t head = kBlockSpan;
  bool operator==(const BlockPlace&) const = default;
};

// How a chain ended: where the format says it ends, or cut.
enum class ChainEnd {
  kWhole,          // its last block names no next block
  kNextMissing,    // the next block it names was found nowhere
  kNextAmbiguous,  // several blocks could be the next one and nothing tells them apart
  kNextTaken,      // the next block it names belongs to another message
  kPastEnd,        // the next block would lie past the end of the source
  kTurnsBack,      // the chain leads back into itself
  kUnreadable,     // the source could not be read further
  kFrontMissing,   // the blocks before its first one were not found
};

constexpr const char* ChainEndText(ChainEnd end) {
  switch (end) {
    case ChainEnd::kWhole:
      return "whole";
    case ChainEnd::kNextMissing:
      return "its next block was not found";
    case ChainEnd::kNextAmbiguous:
      return "its next block could be any of several";
    case ChainEnd::kNextTaken:
      return "its next block belongs to another message";
    case ChainEnd::kPastEnd:
      return "its next block would lie past the end of the source";
    case ChainEnd::kTurnsBack:
      return "its chain leads back into itself";
    case ChainEnd::kUnreadable:
      return "the source could not be read further";
    case ChainEnd::kFrontMissing:
      return "the blocks before its first one were not found";
  }
  return "";
}

struct ChainReading {
  // A block named by offset o lies at position o + shift (blocks of a file cut or
  // padded at the front, or glued behind another).
  int64_t shift = 0;
  // When not 0, the position of the chain's last block: a chain rebuilt up to a next
  // offset that names no block of it ends there.
  uint64_t last_block = 0;
  // When set, the chain's blocks in order, wherever they lie; the shift is not used.
  std::shared_ptr<const std::vector<BlockPlace>> places;
  // How the chain was found to end before it is read; a read may cut it further.
  ChainEnd end = ChainEnd::kWhole;
  // Its first block may not be its message's first (see BuiltChain).
  bool front_unsure = false;

  // The position of the block named as `offset`: 0 ends the chain, and a block that
  // would lie outside the source lies just past its end.
  uint64_t PositionOf(uint32_t offset, uint64_t length) const {
    if (offset == 0 || shift == 0) return offset;
    const int64_t at = int64_t{offset} + shift;
    return at > 0 && static_cast<uint64_t>(at) <= length ? static_cast<uint64_t>(at) : length + 1;
  }
  bool IsPlain() const { return shift == 0 && last_block == 0 && !places; }
};

// What an extraction does beyond copying: NUL bytes of a damaged chain become '_' in
// either case; kDeletedBlocks also mends what deletion did to freed blocks.
enum class Repair { kNulOnly, kDeletedBlocks };

}  // namespace rescuva::engine
