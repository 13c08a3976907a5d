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
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  size_t i = SlotOf(offset);
  if (slots_[i] == 0) {
    slots_[i] = offset;
    ++size_;
  }
}

bool OffsetSet::Contains(uint32_t offset) const {
  if (offset == 0) return has_zero_;
  return !slots_.empty() && slots_[SlotOf(offset)] == offset;
}

void OffsetSet::Grow() {
  std::vector<uint32_t> old = std::move(slots_);
  slots_.assign(old.empty() ? 64 : old.size() * 2, 0);
  shift_ = 64 - std::countr_zero(slots_.size());
  for (uint32_t offset : old) {
    if (offset != 0) slots_[SlotOf(offset)] = offset;
  }
}

}  // namespace rescuva::engine
