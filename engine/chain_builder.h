// Chains of blocks that lie away from their own offsets, built from the blocks the
// scan found and nothing else. Blocks with one shift, in a run of positions, form a
// piece (a stretch of a folder file as a file system stored it); where a chain's next
// block is not in its piece it is taken from another only when the evidence names one
// (the single block with that own offset, or the one whose back-pointer names the
// block before it), never guessed between equals. Every chain says how it ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "engine/chain_reading.h"
#include "engine/placed_block_scan.h"
#include "engine/position_set.h"

namespace rescuva::engine {

struct Piece {
  int64_t shift = 0;
  size_t begin = 0, end = 0;  // its blocks, by index in position order
  uint32_t first_own = 0, last_own = 0;
  std::optional<size_t> follower;  // the piece that goes on where this one ends
  std::optional<size_t> leader;    // the piece this one goes on from
};

// A block whose header lies across the end of a piece: the scan could not see it, so
// the owner reads its header where `place` says and hands it over.
struct HiddenBlock {
  uint32_t own = 0;
  BlockPlace place;
  size_t piece = 0;  // the piece it starts in
};

struct BuiltChain {
  std::vector<BlockPlace> places;
  ChainEnd end = ChainEnd::kWhole;
  // Nothing names its first block, but part of its file was not found: it is whole
  // only if its text starts a message.
  bool front_unsure = false;
};

class ChainBuilder {
 public:
  // `blocks` in order of position; `headers` the positions of folder-file headers.
  ChainBuilder(std::vector<PlacedBlock> blocks, const std::vector<uint64_t>& headers);

  const std::vector<Piece>& Pieces() const { return pieces_; }
  // The blocks hidden where two pieces meet; AddHidden takes what was read of each,
  // in the same order (nothing where no block lies).
  const std::vector<HiddenBlock>& Hidden() const { return hidden_; }
  void AddHidden(const std::vector<std::optional<PlacedBlock>>& read);

  // The chain whose first block has own offset `first` in the piece at `shift`;
  // nothing when no block found lies there.
  std::optional<BuiltChain> Follow(uint32_t first, int64_t shift) const;
  // The chains of blocks not in `known`: first those whose last block ends the chain,
  // then those cut, each in order of position. Their blocks join `known`.
  void Rebuild(PositionSet& known, const std::function<bool()>& stopping,
               const std::function<void(BuiltChain)>& found);

 private:
  struct Step {
    std::optional<size_t> block;
    ChainEnd end = ChainEnd::kWhole;
  };
  void FindPieces();
  void JoinPieces();
  void FindGaps();
  bool Headed(const Piece& piece) const;
  void Index();
  BlockPlace PlaceOf(size_t block) const;
  size_t PieceOf(size_t block) const;
  Step Successor(size_t block) const;
  Step Predecessor(size_t block) const;
  // The blocks whose `field` holds `value` and which lie in [from, to], by an index
  // sorted on that field and then on position; at most `limit` + 1 of them.
  std::vector<size_t> Matching(const std::vector<uint32_t>& index, uint32_t value,
                               uint32_t PlacedBlock::*field, uint64_t from, uint64_t to,
                               size_t limit) const;
  // The positions a piece's blocks lie at.
  std::pair<uint64_t, uint64_t> RangeOf(size_t piece) const;
  // The one such block that `fits`, in the same piece as `block` or else in `near`.
  std::optional<size_t> Nearest(const std::vector<uint32_t>& index, uint32_t value,
                                uint32_t PlacedBlock::*field, size_t block,
                                std::optional<size_t> near,
                                const std::function<bool(size_t)>& fits) const;
  BuiltChain WalkBack(size_t last, ChainEnd end, PositionSet& known) const;

  std::vector<PlacedBlock> blocks_;
  std::vector<uint64_t> headers_;
  std::vector<Piece> pieces_;
  std::vector<uint32_t> piece_of_;                // by block
  std::vector<uint32_t> by_own_;                  // block indexes by own offset
  std::vector<uint32_t> by_next_;                 // block indexes by next offset
  std::unordered_map<size_t, BlockPlace> split_;  // blocks that go on in the next piece
  std::vector<HiddenBlock> hidden_;
  // The lowest own offset at which a piece starts that no piece or header leads to:
  // a chain that starts past it may have begun in the part of its file not found.
  uint32_t unled_from_ = UINT32_MAX;
};

}  // namespace rescuva::engine
