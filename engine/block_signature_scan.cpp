#include "engine/block_signature_scan.h"

#include <algorithm>
#include <bit>

#include "engine/byte_order.h"
#include "engine/vector_lanes.h"

namespace rescuva::engine {
namespace {

void ScanScalar(const uint8_t* bytes, size_t from, size_t to, uint32_t base,
                std::vector<uint32_t>& found) {
  for (size_t k = from; k < to; ++k) {
    if (LoadLe32(bytes + k) == base + static_cast<uint32_t>(k)) {
      found.push_back(base + static_cast<uint32_t>(k));
    }
  }
}

// Offsets from..to-1 all share the high half `high`: a self offset needs those two
// bytes at j + 2. Sixteen offsets are tested at once on that half (eight even, eight
// odd positions); the rare hits are checked whole.
void ScanSameHighHalf(const uint8_t* bytes, size_t from, size_t to, uint32_t base, uint16_t high,
                      std::vector<uint32_t>& found) {
  const U16x8 wanted = {high, high, high, high, high, high, high, high};
  size_t k = from;
  for (; k + 16 <= to; k += 16) {
    const auto even = LoadVector<U16x8>(bytes + k + 2), odd = LoadVector<U16x8>(bytes + k + 3);
    if (AnyLane((even == wanted) | (odd == wanted))) ScanScalar(bytes, k, k + 16, base, found);
  }
  ScanScalar(bytes, k, to, base, found);
}

}  // namespace

void FindSelfOffsets(const uint8_t* bytes, size_t count, uint32_t base,
                     std::vector<uint32_t>& found) {
  if constexpr (std::endian::native != std::endian::little) {
    ScanScalar(bytes, 0, count, base, found);
    return;
  }
  size_t k = 0;
  while (k < count) {
    const uint64_t j = uint64_t{base} + k;
    const uint64_t next_high = (j | 0xFFFF) + 1;
    const size_t end = static_cast<size_t>(std::min<uint64_t>(count, next_high - base));
    ScanSameHighHalf(bytes, k, end, base, static_cast<uint16_t>(j >> 16), found);
    k = end;
  }
}

}  // namespace rescuva::engine
