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

constexpr uint8_t kSignature[8] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F};

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

// Both size fields (00 02 00 00 and FC 01 00 00) and the header's signature (CF at +0,
// FE at +3) are looked for sixteen positions at once, by two of their bytes; the few
// hits are checked whole.
void PlacedBlockScan::Scan(const uint8_t* bytes, size_t count, uint64_t position) {
  const auto all = [](uint8_t value) {
    return U8x16{value, value, value, value, value, value, value, value,
                 value, value, value, value, value, value, value, value};
  };
  const U8x16 zero = all(0), two = all(2), fc = all(0xFC), one = all(1);
  const U8x16 cf = all(kSignature[0]), fe = all(kSignature[3]);
  for (size_t k = 0; k < count; k += 16) {
    const auto at0 = LoadVector<U8x16>(bytes + k), at3 = LoadVector<U8x16>(bytes + k + 3);
    const auto at4 = LoadVector<U8x16>(bytes + k + 4), at5 = LoadVector<U8x16>(bytes + k + 5);
    const auto sized = ((at4 == zero) & (at5 == two)) | ((at4 == fc) & (at5 == one));
    const auto signed_ = (at0 == cf) & (at3 == fe);
    if (!AnyLane(sized | signed_)) continue;
    for (size_t i = k; i < std::min(count, k + 16); ++i) Check(bytes + i, position + i);
  }
}

void PlacedBlockScan::Check(const uint8_t* at, uint64_t here) {
  // a folder file's header, wherever it starts but at 0 (that one is read as the file)
  if (here != 0 && std::memcmp(at, kSignature, sizeof kSignature) == 0 &&
      (headers_.empty() || headers_.back() < here)) {
    headers_.push_back(here);
  }
  if (!BlockShaped(at)) return;
  const uint32_t own = LoadLe32(at);
  if (own == here || !Plausible(own, LoadLe32(at + 12))) return;
  const uint8_t* after = at + kBlockSpacing;
  if (BlockShaped(after) && LoadLe32(after) == own + kBlockSpacing &&
      Plausible(own + kBlockSpacing, LoadLe32(after + 12))) {
    Keep(at, here);
    partner_ = here + kBlockSpacing;
  } else if (here == partner_) {
    Keep(at, here);
  }
}

}  // namespace rescuva::engine
