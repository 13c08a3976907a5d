// Stages 2 and 3: find message blocks anywhere in the source, then rebuild and extract
// the chains that no extracted message used.
#include <algorithm>
#include <array>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "engine/dbx_recovery_engine.h"
#include "engine/message_block.h"

namespace rescuva::engine {
namespace {

constexpr uint64_t kWindowSize = 65536;
constexpr uint64_t kWindowStep = 65532;  // windows overlap by 4 bytes
constexpr size_t kHeaderTail = 12;       // header fields of a block found at the window's end
constexpr size_t kWindowTail = std::max(kHeaderTail, PlacedBlockScan::kLookAhead);
// Own offsets are 32 bits: only there can a block lie at its own offset.
constexpr uint64_t kOwnOffsets = uint64_t{1} << 32;

// Calls `visit(position, bytes, tested)` for each window of the source, in order, until
// it returns false; false when a read fails. A stretch of a sparse file that holds no
// data is passed over: zero bytes hold no block and no own offset, and the window
// before the data starts early enough to test every value that reaches into it.
template <typename Visit>
bool ForEachWindow(const platform::ByteSource& source, Visit visit) {
  const uint64_t length = source.Length();
  if (length <= 4) return true;
  std::vector<uint8_t> window(kWindowSize + kWindowTail);
  for (uint64_t s = 0; s < length - 4; s += kWindowStep) {
    const uint64_t data = source.NextData(s);
    if (data >= s + kWindowSize) {
      if (data >= length) break;
      s = data - kHeaderTail;
    }
    if (!source.ReadAt(s, window)) return false;
    // position j is tested when its whole 32-bit value lies in the source
    const size_t tested = static_cast<size_t>(std::min(kWindowStep, length - 3 - s));
    if (!visit(s, window, tested)) break;
  }
  return true;
}

}  // namespace

void DbxRecoveryEngine::ScanForLostBlocks() {
  reporter_.SetProgress(0);
  const uint64_t length = source_->Length();
  reporter_.EnterStage(Stage::kLostBlocks);
  candidates_.clear();
  pieces_.reset();
  PlacedBlockScan placed;
  std::vector<uint32_t> found;
  const bool read = ForEachWindow(*source_, [&](uint64_t s, const auto& window, size_t tested) {
    if (Stopping()) return false;
    reporter_.SetProgress(static_cast<int>(s * 100 / length));
    if (s < kOwnOffsets) {
      found.clear();
      const auto own = static_cast<size_t>(std::min<uint64_t>(tested, kOwnOffsets - s));
      FindSelfOffsets(window.data(), own, static_cast<uint32_t>(s), found);
      for (uint32_t j : found) candidates_.push_back({j, LoadLe32(&window[j - s + 12])});
    }
    placed.Scan(window.data(), tested, s);
    return true;
  });
  read_failed_ = read_failed_ || !read;
  if (Stopping()) return;
  PlaceBlocks(placed);
  if (Stopping()) return;
  RebuildLostMessages();
  reporter_.EnterStage(Stage::kListed);
}

void DbxRecoveryEngine::PlaceBlocks(PlacedBlockScan& scan) {
  pieces_ = std::make_unique<ChainBuilder>(std::move(scan.Blocks()), scan.Headers());
  std::vector<std::optional<PlacedBlock>> hidden;
  for (const HiddenBlock& block : pieces_->Hidden()) {
    std::array<uint8_t, kBlockSpan> bytes;
    hidden.emplace_back();
    if (!ReadPlace(*source_, block.place, bytes)) continue;
    const auto header = MessageBlockHeader::Decode(std::span(bytes).first<kBlockHeaderSize>());
    if (!header.IsBlockShaped() || header.self_offset != block.own) continue;
    hidden.back() = PlacedBlock{block.place.position, block.own, header.next_offset,
                                LoadLe32(&bytes[kBlockHeaderSize]), header.IsFreed()};
  }
  pieces_->AddHidden(hidden);
  // each folder file whose header lies inside the source lists what its index names
  for (uint64_t header : scan.Headers()) {
    if (Stopping()) return;
    ListIndexedMessages(static_cast<int64_t>(header), false);
  }
}

ChainReading DbxRecoveryEngine::ReadingAt(uint32_t first, int64_t shift) const {
  if (shift == 0 || !pieces_) return {shift};
  auto chain = pieces_->Follow(first, shift);
  if (!chain) return {shift};
  ChainReading reading;
  reading.end = chain->end;
  reading.places = std::make_shared<const std::vector<BlockPlace>>(std::move(chain->places));
  return reading;
}

void DbxRecoveryEngine::RebuildLostMessages() {
  reporter_.EnterStage(Stage::kChains);
  const uint64_t n = candidates_.size();
  if (n > 0 && Stopping()) return;
  reporter_.SetProgress(0);
  if (n > 0) RebuildChains();
  if (!pieces_ || Stopping()) return;
  pieces_->Rebuild(
      known_blocks_, [this] { return Stopping(); },
      [this](BuiltChain chain) {
        ChainReading reading;
        reading.end = chain.end;
        reading.front_unsure = chain.front_unsure;
        const uint64_t first = chain.places.front().position;
        reading.places = std::make_shared<const std::vector<BlockPlace>>(std::move(chain.places));
        RecoverMessage(first, true, reading);
      });
}

void DbxRecoveryEngine::RebuildChains() {
  const std::vector<BlockCandidate>& candidates = candidates_;
  const uint64_t n = candidates.size();
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
  RebuildBrokenChains();
}

uint32_t DbxRecoveryEngine::FindPredecessor(uint32_t offset) {
  if (Stopping()) return 0;
  auto it = std::lower_bound(
      predecessors_.begin(), predecessors_.end(), offset,
      [&](uint32_t candidate, uint32_t next) { return candidates_[candidate].next_offset < next; });
  return it != predecessors_.end() && candidates_[*it].next_offset == offset
             ? candidates_[*it].offset
             : 0;
}

}  // namespace rescuva::engine
