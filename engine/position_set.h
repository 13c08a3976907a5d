// A set of positions in the source (open addressing, linear probing): the known-block
// list, searched once per rebuilt chain, stays linear in the number of blocks. Given
// the source's length, positions within it move into a bitmap once the table would
// take more memory than that bitmap, so a crafted file whose every few bytes look like
// a block costs at most one bit per byte; an honest image never needs the bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rescuva::engine {

class PositionSet {
 public:
  // Positions up to `length` may be kept in a bitmap.
  void SetFileLength(uint64_t length) { length_ = length; }
  void Insert(uint64_t position);
  bool Contains(uint64_t position) const;

 private:
  void Grow();
  size_t SlotOf(uint64_t position) const;
  bool InBitmap(uint64_t position) const { return !bits_.empty() && position <= length_; }

  std::vector<uint64_t> slots_;  // 0 marks a free slot; position 0 is kept aside
  int shift_ = 64;
  size_t size_ = 0;
  bool has_zero_ = false;
  uint64_t length_ = 0;
  std::vector<uint64_t> bits_;  // one bit per position up to length_, once in use
};

}  // namespace rescuva::engine
