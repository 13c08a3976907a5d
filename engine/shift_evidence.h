// Blocks that lie away from their own offsets: a file cut or padded at the front, glued
// behind another or carved out of a disk image moves every block by one constant. The
// evidence is a block-shaped header followed 0x210 bytes later by another whose own
// offset is 0x210 higher, both off by the same amount from where they lie; a shift is
// believed once several such pairs agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace rescuva::engine {

class ShiftEvidence {
 public:
  // Bytes a window must hold beyond the offsets it tests.
  static constexpr size_t kLookAhead = 0x210 + 8;  // the next block's size field

  // Looks at the offsets [position, position + count) of the file, whose bytes start
  // at `bytes`, which holds count + kLookAhead bytes.
  void Scan(const uint8_t* bytes, size_t count, uint64_t position);
  // The shifts (position minus own offset) seen at least twice, most evidence first,
  // at most `limit` of them; never 0.
  std::vector<int64_t> Accepted(size_t limit) const;

 private:
  void Vote(int64_t shift);

  std::unordered_map<int64_t, uint64_t> votes_;
};

}  // namespace rescuva::engine
