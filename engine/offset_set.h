// A set of 32-bit file offsets (open addressing, linear probing): the known-block
// list, searched once per rebuilt chain, stays linear in the number of blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rescuva::engine {

class OffsetSet {
 public:
  void Insert(uint32_t offset);
  bool Contains(uint32_t offset) const;
  size_t Size() const { return size_ + (has_zero_ ? 1 : 0); }

 private:
  void Grow();
  size_t SlotOf(uint32_t offset) const;

  std::vector<uint32_t> slots_;  // 0 marks a free slot; offset 0 is kept aside
  int shift_ = 64;
  size_t size_ = 0;
  bool has_zero_ = false;
};

}  // namespace rescuva::engine
