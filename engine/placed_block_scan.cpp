#include "engine/placed_block_scan.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "engine/byte_order.h"
#include "engine/folder_file_header.h"
#include "engine/message_block.h"
#include "engine/vector_lanes.h"

namespace rescuva::engine {
namespace {

bool BlockShaped(const uint8_t* at) {
  const uint32_t size = LoadLe32(at + 4);
  return size == kBlockDataSize || size == kFreedBlockSize;
}

// Own offsets and next offsets of blocks lie past a folder file's header.
bool Plausible(uint32_t own, uint32_t next) {
  return own >= kFolderFileHeaderSize && (next == 0 || next >= kFolderFileHeaderSize);
}

}  // namespace

void PlacedBlockScan::Keep(const uint8_t* at, uint64_t here) {
  if (!blocks_.empty() && blocks_.back().position >= here) return;
  blocks_.push_back({here, LoadLe32(at), LoadLe32(at + 12), LoadLe32(at + kBlockHeaderSize),
                     LoadLe32(at + 4) == kFreedBlockSize});
}

// Both size fields have a rare byte in a fixed place (0x02 at +5, 0xFC at +4): sixteen
// positions are tested for those at once, and the few hits are checked whole.
void PlacedBlockScan::Scan(const uint8_t* bytes, size_t count, uint64_t position) {
  const U8x16 two = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
  const U8x16 fc = {0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC,
                    0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC};
  for (size_t k = 0; k < count; k += 16) {
    const auto at4 = LoadVector<U8x16>(bytes + k + 4), at5 = LoadVector<U8x16>(bytes + k + 5);
    if (!AnyLane((at4 == fc) | (at5 == two))) continue;
    for (size_t i = k; i < std::min(count, k + 16); ++i) {
      const uint8_t* at = bytes + i;
      if (!BlockShaped(at)) continue;
      const uint32_t own = LoadLe32(at);
      const uint64_t here = position + i;
      if (own == here || !Plausible(own, LoadLe32(at + 12))) continue;
      const uint8_t* after = at + kBlockSpacing;
      if (BlockShaped(after) && LoadLe32(after) == own + kBlockSpacing &&
          Plausible(own + kBlockSpacing, LoadLe32(after + 12))) {
        Keep(at, here);
        partner_ = here + kBlockSpacing;
      } else if (here == partner_) {
        Keep(at, here);
      }
    }
  }
  // a folder file's header, wherever it starts but at 0 (that one is read as the file)
  static const uint8_t kSignature[8] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F};
  for (const uint8_t* at = bytes;
       (at = static_cast<const uint8_t*>(std::memchr(at, kSignature[0], count - (at - bytes)))) !=
       nullptr;
       ++at) {
    const uint64_t here = position + static_cast<uint64_t>(at - bytes);
    if (here != 0 && std::memcmp(at, kSignature, sizeof kSignature) == 0 &&
        (headers_.empty() || headers_.back() < here)) {
      headers_.push_back(here);
    }
    if (at + 1 >= bytes + count) break;
  }
}

}  // namespace rescuva::engine
