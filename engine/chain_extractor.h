// Following a message's chain of blocks through a source and writing its text: the
// length pass that measures the chain (and gathers its text on the way), the copy pass
// for texts too long to gather, and the repairs a text gets.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/chain_reading.h"
#include "engine/chain_trace.h"
#include "engine/deleted_block_repair.h"
#include "engine/position_set.h"
#include "platform/byte_source.h"
#include "platform/scratch_files.h"

namespace rescuva::engine {

enum class ChainCopy { kCopied, kReadFailed, kWriteFailed };

// What the length pass found of a chain.
struct ChainSummary {
  uint64_t total = 0;   // sum of the blocks' DataLength
  uint64_t blocks = 0;  // blocks up to the first one already visited
  bool damaged = false;
  bool text_complete = false;  // the text was gathered on the way and needs no copy pass
  ChainEnd end = ChainEnd::kWhole;
  uint64_t stop = 0;  // the position of the last block read
};

// Reads the bytes of one block wherever its place says they lie.
bool ReadPlace(const platform::ByteSource& source, const BlockPlace& place,
               std::span<uint8_t, kBlockSpan> bytes);

class ChainExtractor {
 public:
  // With `trace`, the length pass notes where the text lies in the source, and the
  // writing what it mends.
  explicit ChainExtractor(const platform::ByteSource& source, ChainTrace* trace = nullptr)
      : source_(source), trace_(trace) {}

  // The length pass over the chain starting at `first`, read as `reading` says; every
  // block passed joins `known` when given. The text is gathered into `text` up to a
  // limit; with `blocks` (for the repair) it is gathered whole, each block's part noted.
  ChainSummary Measure(uint64_t first, const ChainReading& reading, PositionSet* known,
                       std::vector<uint8_t>& text, std::vector<GatheredBlock>* blocks) const;
  // Writes the text gathered by the length pass, or copies the chain block by block
  // when it could not be gathered.
  ChainCopy Write(uint64_t first, const ChainReading& reading, const ChainSummary& chain,
                  std::vector<uint8_t>& text, std::span<const GatheredBlock> blocks,
                  platform::OutputFile& out) const;
  // The repair, when chosen, mends the gathered text; NUL bytes become '_' when the
  // chain is damaged. Each mended spot joins `trace` when given.
  static void FinishText(const ChainSummary& chain, std::vector<uint8_t>& text,
                         std::span<const GatheredBlock> blocks, ChainTrace* trace = nullptr);

 private:
  ChainSummary MeasurePlaces(const ChainReading& reading, PositionSet* known,
                             std::vector<uint8_t>& text, std::vector<GatheredBlock>* blocks) const;
  ChainCopy Copy(uint64_t first, const ChainReading& reading, const ChainSummary& chain,
                 platform::OutputFile& out) const;
  ChainCopy CopyPlaces(const ChainReading& reading, const ChainSummary& chain,
                       platform::OutputFile& out) const;

  // Notes where a block's data lies in the source (at most two runs: a block the seam
  // of two pieces cut goes on in the next piece).
  void NoteBlock(uint64_t position, uint64_t rest, uint32_t head, size_t length) const;
  // Keeps the runs of the chain's first `blocks` blocks, as far as they were noted.
  void KeepRuns(uint64_t blocks) const;

  const platform::ByteSource& source_;
  ChainTrace* trace_;
  // the length pass's runs, block by block, before a cycle's blocks are known
  struct BlockRun {
    uint64_t position;
    uint64_t rest;
    uint32_t head;
    uint32_t length;
  };
  mutable std::vector<BlockRun> block_runs_;
};

}  // namespace rescuva::engine
