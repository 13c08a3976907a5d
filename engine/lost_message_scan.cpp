// Stages 2 and 3: find message blocks anywhere in the source, then rebuild and extract
// the chains that no extracted message used.
#include <algorithm>
#include <array>

#include "engine/block_scanner.h"
#include "engine/byte_order.h"
#include "engine/dbx_recovery_engine.h"
#include "engine/message_block.h"

namespace rescuva::engine {
namespace {

// The progress bar moves as if the file were read in windows of this many bytes.
constexpr uint64_t kProgressStep = 65532;

}  // namespace

void DbxRecoveryEngine::ScanForLostBlocks() {
  reporter_.SetProgress(0);
  const uint64_t length = source_->Length();
  reporter_.EnterStage(Stage::kLostBlocks);
  candidates_.clear();
  pieces_.reset();
  uint64_t step = 0;
  ScanFindings findings = BlockScanner::Scan(
      *source_,
      [&](uint64_t done) {
        if (Stopping()) return false;
        for (; step < done && step + 4 < length; step += kProgressStep) {
          reporter_.SetProgress(static_cast<int>(step * 100 / length));
        }
        reporter_.ScanPosition(done, length);
        return true;
      },
      digest_source_);
  read_failed_ = read_failed_ || !findings.read;
  source_digests_ = std::move(findings.digests);
  candidates_ = std::move(findings.candidates);
  if (Stopping()) return;
  PlaceBlocks(std::move(findings.placed), findings.headers);
  if (Stopping()) return;
  RebuildLostMessages();
  reporter_.EnterStage(Stage::kListed);
}

void DbxRecoveryEngine::PlaceBlocks(std::vector<PlacedBlock> placed,
                                    const std::vector<uint64_t>& headers) {
  pieces_ = std::make_unique<ChainBuilder>(std::move(placed), headers);
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
  for (uint64_t header : headers) {
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
