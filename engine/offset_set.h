// A set of 32-bit file offsets (open addressing, linear probing): the known-block
// list, searched once per rebuilt chain, stays linear in the number of blocks. Given
// the file's length, offsets within the file move into a bitmap of the file once the
// table would take more memory than that bitmap, so a crafted file whose every few
// bytes look like a block costs at most one bit per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rescuva::engine {

class OffsetSet {
 public:
  // Offsets up to `length` may be kept in a bitmap.
  void SetFileLength(uint32_t length) { length_ = length; }
  void Insert(uint32_t offset);
  bool Contains(uint32_t offset) const;

 private:
  void Grow();
  size_t SlotOf(uint32_t offset) const;
  bool InBitmap(uint32_t offset) const { return !bits_.empty() && offset <= length_; }

  std::vector<uint32_t> slots_;  // 0 marks a free slot; offset 0 is kept aside
  int shift_ = 64;
  size_t size_ = 0;
  bool has_zero_ = false;
  uint32_t length_ = 0;
  std::vector<uint64_t> bits_;  // one bit per offset up to length_, once in use
};

}  // namespace rescuva::engine
