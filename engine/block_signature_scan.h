// The block scan's in-memory test: which offsets of a window hold their own offset as
// a little-endian 32-bit value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rescuva::engine {

// Appends to `found` every j in [base, base + count) whose 32-bit value at
// bytes[j - base] equals j, in ascending order. `bytes` holds count + 3 bytes.
void FindSelfOffsets(const uint8_t* bytes, size_t count, uint32_t base,
                     std::vector<uint32_t>& found);

}  // namespace rescuva::engine
