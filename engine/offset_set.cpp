#include "engine/offset_set.h"

#include <bit>

namespace rescuva::engine {

size_t OffsetSet::SlotOf(uint32_t offset) const {
  const size_t mask = slots_.size() - 1;
  // Fibonacci hashing: the high bits of the product spread offsets that share their
  // low bits (blocks lie 0x210 bytes apart).
  size_t i = static_cast<size_t>((offset * 0x9E3779B97F4A7C15ull) >> shift_);
  while (slots_[i] != 0 && slots_[i] != offset) i = (i + 1) & mask;
  return i;
}

void OffsetSet::Insert(uint32_t offset) {
  if (offset == 0) {
    has_zero_ = true;
    return;
  }
  if (InBitmap(offset)) {
    bits_[offset / 64] |= uint64_t{1} << (offset % 64);
    return;
  }
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  if (InBitmap(offset)) return Insert(offset);
  size_t i = SlotOf(offset);
  if (slots_[i] == 0) {
    slots_[i] = offset;
    ++size_;
  }
}

bool OffsetSet::Contains(uint32_t offset) const {
  if (offset == 0) return has_zero_;
  if (InBitmap(offset)) return (bits_[offset / 64] >> (offset % 64)) & 1;
  return !slots_.empty() && slots_[SlotOf(offset)] == offset;
}

// A table about to grow past the size of the file's bitmap hands its offsets within
// the file to the bitmap and keeps only the others.
void OffsetSet::Grow() {
  std::vector<uint32_t> old = std::move(slots_);
  const size_t bitmap_words = uint64_t{length_} / 64 + 1;
  if (bits_.empty() && length_ > 0 && old.size() * 2 * sizeof(uint32_t) > bitmap_words * 8) {
    bits_.assign(bitmap_words, 0);
  }
  size_t slots = old.empty() ? 64 : old.size() * 2;
  if (!bits_.empty()) {
    size_t kept = 0;
    for (uint32_t offset : old) {
      if (offset == 0) continue;
      if (InBitmap(offset)) {
        bits_[offset / 64] |= uint64_t{1} << (offset % 64);
      } else {
        ++kept;
      }
    }
    for (slots = 64; (kept + 1) * 2 > slots;) slots *= 2;
  }
  slots_.assign(slots, 0);
  shift_ = 64 - std::countr_zero(slots_.size());
  size_ = 0;
  for (uint32_t offset : old) {
    if (offset != 0 && !InBitmap(offset)) {
      slots_[SlotOf(offset)] = offset;
      ++size_;
    }
  }
}

}  // namespace rescuva::engine
