#include "engine/chain_extractor.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "engine/deleted_block_repair.h"
#include "engine/message_block.h"

namespace rescuva::engine {
namespace {

// Texts up to this size are gathered while the chain is measured and written at once;
// longer ones are read a second time, block by block.
constexpr size_t kGatheredTextLimit = 4 << 20;

constexpr size_t kReadAhead = 16 * kBlockSpacing;

// Reads blocks for one pass along a chain. Chains usually run on block after block, so
// once a block names the one right behind it the next read takes the following
// blocks too, twice as many each time the run goes on (up to 16); a scattered chain
// keeps reading one block at a time.
class BlockReader {
 public:
  BlockReader(const platform::ByteSource& source, int64_t shift) : source_(source), shift_(shift) {}

  // The header and data of the block at `offset`, as far as the file holds them.
  std::optional<std::span<const uint8_t, kBlockSpan>> Read(uint64_t offset) {
    if (offset < start_ || uint64_t{offset} + kBlockSpan > start_ + size_) {
      run_ = ahead_ ? std::min<size_t>(run_ * 2, kReadAhead / kBlockSpacing) : 1;
      size_ = run_ == 1 ? kBlockSpan : run_ * kBlockSpacing;
      start_ = offset;
      if (!source_.ReadAt(offset, std::span(buffer_).first(size_))) {
        size_ = 0;
        return std::nullopt;
      }
    }
    const auto block = std::span(buffer_).subspan(offset - start_).first<kBlockSpan>();
    const auto next = MessageBlockHeader::Decode(block.first<kBlockHeaderSize>()).next_offset;
    ahead_ = int64_t{next} + shift_ == static_cast<int64_t>(offset + kBlockSpacing);
    return block;
  }

 private:
  const platform::ByteSource& source_;
  const int64_t shift_;
  std::array<uint8_t, kReadAhead> buffer_;  // filled by each read before it is used
  uint64_t start_ = 0;
  size_t size_ = 0;
  size_t run_ = 1;  // blocks taken by the last read
  bool ahead_ = false;
};

// NUL bytes become '_'; each run of them is noted as a mend at `base` on.
void ReplaceNuls(std::span<uint8_t> data, uint64_t base, ChainTrace* trace) {
  if (!trace) {
    std::replace(data.begin(), data.end(), uint8_t{0}, uint8_t{'_'});
    return;
  }
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] != 0) continue;
    data[i] = '_';
    auto& mends = trace->mends;
    if (!mends.empty() && mends.back().kind == MendKind::kNulReplaced &&
        mends.back().at + mends.back().length == base + i) {
      ++mends.back().length;
    } else {
      mends.push_back({base + i, 1, MendKind::kNulReplaced});
    }
  }
}

}  // namespace

bool ReadPlace(const platform::ByteSource& source, const BlockPlace& place,
               std::span<uint8_t, kBlockSpan> bytes) {
  const uint32_t head = std::min(place.head, kBlockSpan);
  return source.ReadAt(place.position, bytes.first(head)) &&
         (head == kBlockSpan || source.ReadAt(place.rest, bytes.subspan(head)));
}

void ChainExtractor::NoteBlock(uint64_t position, uint64_t rest, uint32_t head,
                               size_t length) const {
  if (trace_) block_runs_.push_back({position, rest, head, static_cast<uint32_t>(length)});
}

void ChainExtractor::KeepRuns(uint64_t blocks) const {
  if (!trace_) return;
  trace_->Clear();
  const uint64_t end = source_.Length();
  uint64_t offset = 0;
  // a part of a block past the end of the source was read as zeros: no run holds it
  auto add = [&](uint64_t position, uint64_t length) {
    const uint64_t inside = position >= end ? 0 : std::min(length, end - position);
    trace_->AddRun(position, offset, inside);
    if (inside < length) {
      auto& mends = trace_->mends;
      if (!mends.empty() && mends.back().kind == MendKind::kPastEnd &&
          mends.back().at + mends.back().length == offset + inside) {
        mends.back().length += length - inside;
      } else {
        mends.push_back({offset + inside, length - inside, MendKind::kPastEnd});
      }
    }
    offset += length;
  };
  const size_t kept = static_cast<size_t>(std::min<uint64_t>(blocks, block_runs_.size()));
  for (size_t i = 0; i < kept; ++i) {
    const BlockRun& block = block_runs_[i];
    const uint64_t in_head = block.head > kBlockHeaderSize
                                 ? std::min<uint64_t>(block.head - kBlockHeaderSize, block.length)
                                 : 0;
    add(block.position + kBlockHeaderSize, in_head);
    const uint64_t skipped = block.head > kBlockHeaderSize ? 0 : kBlockHeaderSize - block.head;
    add(block.rest + skipped, block.length - in_head);
  }
  block_runs_.clear();
}

// The length pass over a chain whose blocks were placed by the chain builder: no
// cycle is possible, and every block is read where its place says.
ChainSummary ChainExtractor::MeasurePlaces(const ChainReading& reading, PositionSet* known,
                                           std::vector<uint8_t>& text,
                                           std::vector<GatheredBlock>* blocks) const {
  ChainSummary chain;
  chain.end = reading.end;
  std::array<uint8_t, kBlockSpan> bytes;
  text.clear();
  if (blocks) blocks->clear();
  bool gathering = true;
  for (const BlockPlace& place : *reading.places) {
    if (known) known->Insert(place.position);
    if (!ReadPlace(source_, place, bytes)) {
      chain.end = ChainEnd::kUnreadable;
      gathering = false;
      break;
    }
    ++chain.blocks;
    chain.stop = place.position;
    const auto header = MessageBlockHeader::Decode(std::span(bytes).first<kBlockHeaderSize>());
    chain.damaged = header.IsDamaged();
    chain.total += header.data_length;
    const size_t n = std::min(header.data_length, kBlockDataSize);
    NoteBlock(place.position, place.rest, place.head, n);
    if (gathering) {
      if (blocks) blocks->push_back({text.size(), n, header.IsFreed()});
      text.insert(text.end(), bytes.begin() + kBlockHeaderSize,
                  bytes.begin() + kBlockHeaderSize + n);
      gathering = blocks || text.size() <= kGatheredTextLimit;
    }
  }
  chain.text_complete = gathering;
  KeepRuns(chain.blocks);
  return chain;
}

// The length pass. A chain ends at 0, at an offset past the end of the file (which
// still counts as passed), at the reading's last block, or at the first block already
// visited: cycles are found with Brent's method, so following a chain of any length
// takes no memory. Each block's data is read with its header and gathered into `text`
// as the copy pass would copy it, up to a limit; with `blocks` (for the repair) the
// whole text is gathered and each block's part of it noted.
ChainSummary ChainExtractor::Measure(uint64_t first, const ChainReading& reading,
                                     PositionSet* known, std::vector<uint8_t>& text,
                                     std::vector<GatheredBlock>* blocks) const {
  if (reading.places) return MeasurePlaces(reading, known, text, blocks);
  const uint64_t length = source_.Length();
  ChainSummary chain;
  chain.end = reading.end;
  BlockReader reader(source_, reading.shift);
  std::span<const uint8_t> block;
  auto read_header = [&](uint64_t offset, MessageBlockHeader& header) {
    if (offset > length) return false;
    auto read = reader.Read(offset);
    if (!read) return false;
    block = *read;
    header = MessageBlockHeader::Decode(read->first<kBlockHeaderSize>());
    return true;
  };
  auto next_of = [&](uint64_t offset, const MessageBlockHeader& header) -> uint64_t {
    return offset == reading.last_block ? 0 : reading.PositionOf(header.next_offset, length);
  };
  bool gathering = true;
  bool copy_ended = false;
  // No honest chain holds more text than the file it lies in: a chain whose blocks
  // overlap (a crafted file) ends once it has copied that much.
  uint64_t copied = 0;
  text.clear();
  if (blocks) blocks->clear();
  uint64_t tortoise = first;
  uint64_t power = 1, lambda = 1;
  bool cycle = false;
  for (uint64_t b = first; b != 0;) {
    if (chain.blocks > 0) {
      if (b == tortoise) {
        cycle = true;
        break;
      }
      if (power == lambda) {
        tortoise = b;
        power *= 2;
        lambda = 0;
      }
      ++lambda;
    }
    if (known) known->Insert(b);
    ++chain.blocks;
    if (b > length) {
      chain.end = ChainEnd::kPastEnd;
      break;
    }
    MessageBlockHeader header;
    if (!read_header(b, header)) {
      gathering = false;  // a read error: the copy pass tries again and reports it
      chain.end = ChainEnd::kUnreadable;
      break;
    }
    chain.stop = b;
    chain.damaged = header.IsDamaged();
    chain.total += header.data_length;
    copy_ended = copy_ended || b + kBlockHeaderSize > length;
    const size_t n = copy_ended ? 0 : std::min(header.data_length, kBlockDataSize);
    NoteBlock(b, 0, kBlockSpan, n);
    if (gathering) {
      if (blocks) blocks->push_back({text.size(), n, header.IsFreed()});
      text.insert(text.end(), block.begin() + kBlockHeaderSize,
                  block.begin() + kBlockHeaderSize + n);
      gathering = blocks || text.size() <= kGatheredTextLimit;
    }
    copied += n;
    if (copied > length) {
      chain.end = ChainEnd::kTurnsBack;
      break;
    }
    b = next_of(b, header);
  }
  chain.text_complete = gathering && !cycle;
  if (!cycle) {
    KeepRuns(chain.blocks);
    return chain;
  }
  const uint64_t stop = chain.stop;

  // Every block of the cycle was passed already; count the blocks before the first
  // repeat (mu + lambda) and measure exactly those.
  MessageBlockHeader header;
  auto step = [&](uint64_t offset) {
    return read_header(offset, header) ? next_of(offset, header) : 0;
  };
  uint64_t slow = first, fast = first;
  for (uint64_t i = 0; i < lambda; ++i) fast = step(fast);
  uint64_t mu = 0;
  while (slow != fast) {
    slow = step(slow);
    fast = step(fast);
    ++mu;
  }
  chain = {0, 0, false, false, ChainEnd::kTurnsBack, stop};
  copied = 0;
  uint64_t b = first;
  for (uint64_t i = 0; i < mu + lambda && copied <= length && read_header(b, header); ++i) {
    ++chain.blocks;
    chain.damaged = header.IsDamaged();
    chain.total += header.data_length;
    if (b + kBlockHeaderSize <= length) copied += std::min(header.data_length, kBlockDataSize);
    b = next_of(b, header);
  }
  // the repair's text was gathered block by block: its first blocks are the chain
  if (blocks && gathering && blocks->size() >= chain.blocks) {
    blocks->resize(chain.blocks);
    text.resize(blocks->empty() ? 0 : blocks->back().start + blocks->back().length);
    chain.text_complete = true;
  }
  KeepRuns(chain.blocks);
  return chain;
}

// Writes the text gathered by the length pass, or copies the chain block by block when
// it could not be gathered. The repair, when chosen, mends the gathered text; NUL
// bytes become '_' when the chain is damaged.
ChainCopy ChainExtractor::Write(uint64_t first, const ChainReading& reading,
                                const ChainSummary& chain, std::vector<uint8_t>& text,
                                std::span<const GatheredBlock> blocks,
                                platform::OutputFile& out) const {
  if (!chain.text_complete) return Copy(first, reading, chain, out);
  FinishText(chain, text, blocks, trace_);
  return out.Write(text) ? ChainCopy::kCopied : ChainCopy::kWriteFailed;
}

void ChainExtractor::FinishText(const ChainSummary& chain, std::vector<uint8_t>& text,
                                std::span<const GatheredBlock> blocks, ChainTrace* trace) {
  RepairDeletedBlocks(text, blocks, trace ? &trace->mends : nullptr);
  if (chain.damaged) ReplaceNuls(text, 0, trace);
}

// The copy pass: at most 512 bytes of each block, NUL bytes turned into '_' when the
// chain is damaged.
ChainCopy ChainExtractor::Copy(uint64_t first, const ChainReading& reading,
                               const ChainSummary& chain, platform::OutputFile& out) const {
  if (reading.places) return CopyPlaces(reading, chain, out);
  const uint64_t length = source_.Length();
  BlockReader reader(source_, reading.shift);
  std::array<uint8_t, kBlockDataSize> data;
  uint64_t written = 0;
  uint64_t c = first;
  for (uint64_t i = 0; i < chain.blocks && c != 0 && c <= length; ++i) {
    const auto block = reader.Read(c);
    if (!block) return ChainCopy::kReadFailed;
    if (c + kBlockHeaderSize > length) break;
    const auto header = MessageBlockHeader::Decode(block->first<kBlockHeaderSize>());
    const size_t n = std::min(header.data_length, kBlockDataSize);
    std::copy_n(block->begin() + kBlockHeaderSize, n, data.begin());
    if (chain.damaged) ReplaceNuls(std::span(data).first(n), written, trace_);
    if (!out.Write(std::span(data).first(n))) return ChainCopy::kWriteFailed;
    written += n;
    c = reading.PositionOf(header.next_offset, length);
  }
  return ChainCopy::kCopied;
}

ChainCopy ChainExtractor::CopyPlaces(const ChainReading& reading, const ChainSummary& chain,
                                     platform::OutputFile& out) const {
  std::array<uint8_t, kBlockSpan> bytes;
  uint64_t written = 0;
  for (uint64_t i = 0; i < chain.blocks && i < reading.places->size(); ++i) {
    if (!ReadPlace(source_, (*reading.places)[i], bytes)) return ChainCopy::kReadFailed;
    const auto header = MessageBlockHeader::Decode(std::span(bytes).first<kBlockHeaderSize>());
    const auto data =
        std::span(bytes).subspan(kBlockHeaderSize, std::min(header.data_length, kBlockDataSize));
    if (chain.damaged) ReplaceNuls(data, written, trace_);
    if (!out.Write(data)) return ChainCopy::kWriteFailed;
    written += data.size();
  }
  return ChainCopy::kCopied;
}

}  // namespace rescuva::engine
