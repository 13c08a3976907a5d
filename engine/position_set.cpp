#include "engine/position_set.h"

#include <bit>

namespace rescuva::engine {

size_t PositionSet::SlotOf(uint64_t position) const {
  const size_t mask = slots_.size() - 1;
  // Fibonacci hashing: the high bits of the product spread positions that share their
  // low bits (blocks lie 0x210 bytes apart).
  size_t i = static_cast<size_t>((position * 0x9E3779B97F4A7C15ull) >> shift_);
  while (slots_[i] != 0 && slots_[i] != position) i = (i + 1) & mask;
  return i;
}

void PositionSet::Insert(uint64_t position) {
  if (position == 0) {
    has_zero_ = true;
    return;
  }
  if (InBitmap(position)) {
    bits_[position / 64] |= uint64_t{1} << (position % 64);
    return;
  }
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  if (InBitmap(position)) return Insert(position);
  size_t i = SlotOf(position);
  if (slots_[i] == 0) {
    slots_[i] = position;
    ++size_;
  }
}

bool PositionSet::Contains(uint64_t position) const {
  if (position == 0) return has_zero_;
  if (InBitmap(position)) return (bits_[position / 64] >> (position % 64)) & 1;
  return !slots_.empty() && slots_[SlotOf(position)] == position;
}

// A table about to grow past the size of the file's bitmap hands its positions within
// the source to the bitmap and keeps only the others.
void PositionSet::Grow() {
  std::vector<uint64_t> old = std::move(slots_);
  const size_t bitmap_words = length_ / 64 + 1;
  if (bits_.empty() && length_ > 0 && old.size() * 2 * sizeof(uint64_t) > bitmap_words * 8) {
    bits_.assign(bitmap_words, 0);
  }
  size_t slots = old.empty() ? 64 : old.size() * 2;
  if (!bits_.empty()) {
    size_t kept = 0;
    for (uint64_t position : old) {
      if (position == 0) continue;
      if (InBitmap(position)) {
        bits_[position / 64] |= uint64_t{1} << (position % 64);
      } else {
        ++kept;
      }
    }
    for (slots = 64; (kept + 1) * 2 > slots;) slots *= 2;
  }
  slots_.assign(slots, 0);
  shift_ = 64 - std::countr_zero(slots_.size());
  size_ = 0;
  for (uint64_t position : old) {
    if (position != 0 && !InBitmap(position)) {
      slots_[SlotOf(position)] = position;
      ++size_;
    }
  }
}

}  // namespace rescuva::engine
