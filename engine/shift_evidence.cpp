#include "engine/shift_evidence.h"

#include <algorithm>

#include "engine/byte_order.h"
#include "engine/folder_file_header.h"
#include "engine/message_block.h"
#include "engine/vector_lanes.h"

namespace rescuva::engine {
namespace {

constexpr uint64_t kMinimumVotes = 2;
// Stray values in a crafted or binary file cannot fill memory: once this many shifts
// are being counted, those seen once are forgotten.
constexpr size_t kMaximumCounted = 4096;

bool BlockShaped(const uint8_t* at) {
  const uint32_t size = LoadLe32(at + 4);
  return size == kBlockDataSize || size == kFreedBlockSize;
}

}  // namespace

void ShiftEvidence::Vote(int64_t shift) {
  if (votes_.size() >= kMaximumCounted && !votes_.contains(shift)) {
    std::erase_if(votes_, [](const auto& vote) { return vote.second < kMinimumVotes; });
    if (votes_.size() >= kMaximumCounted) return;
  }
  ++votes_[shift];
}

// Both size fields have a rare byte in a fixed place (0x02 at +5, 0xFC at +4): sixteen
// offsets are tested for those at once, and the few hits are checked whole.
void ShiftEvidence::Scan(const uint8_t* bytes, size_t count, uint64_t position) {
  const U8x16 two = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
  const U8x16 fc = {0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC,
                    0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC};
  for (size_t k = 0; k < count; k += 16) {
    const auto at4 = LoadVector<U8x16>(bytes + k + 4), at5 = LoadVector<U8x16>(bytes + k + 5);
    if (!AnyLane((at4 == fc) | (at5 == two))) continue;
    for (size_t i = k; i < std::min(count, k + 16); ++i) {
      const uint8_t* at = bytes + i;
      if (!BlockShaped(at) || !BlockShaped(at + kBlockSpacing)) continue;
      const uint32_t own = LoadLe32(at);
      const uint64_t here = position + i;
      if (own == here || own < kFolderFileHeaderSize) continue;
      if (LoadLe32(at + kBlockSpacing) != own + kBlockSpacing) continue;
      Vote(static_cast<int64_t>(here) - int64_t{own});
    }
  }
}

std::vector<int64_t> ShiftEvidence::Accepted(size_t limit) const {
  std::vector<std::pair<uint64_t, int64_t>> seen;
  for (const auto& [shift, votes] : votes_) {
    if (votes >= kMinimumVotes && shift != 0) seen.emplace_back(votes, shift);
  }
  std::sort(seen.begin(), seen.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  if (seen.size() > limit) seen.resize(limit);
  std::vector<int64_t> shifts;
  for (const auto& entry : seen) shifts.push_back(entry.second);
  std::sort(shifts.begin(), shifts.end());
  return shifts;
}

}  // namespace rescuva::engine
