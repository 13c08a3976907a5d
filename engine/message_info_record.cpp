#include "engine/message_info_record.h"

#include <algorithm>

#include "engine/byte_order.h"

namespace rescuva::engine {

MessageInfoRecordHeader MessageInfoRecordHeader::Decode(
    std::span<const uint8_t, kRecordHeaderSize> bytes) {
  return {LoadLe32(&bytes[0]), LoadLe32(&bytes[4]), LoadLe16(&bytes[8]), bytes[10], bytes[11]};
}

uint32_t MessageInfoRecordHeader::EntryBytesInBody() const {
  return std::min<uint32_t>(4u * attribute_count, body_length);
}

MessageInfoRecord::MessageInfoRecord(const MessageInfoRecordHeader& header,
                                     std::span<const uint8_t> entries)
    : header_(header) {
  const uint32_t data_area = 4u * header.attribute_count;
  std::optional<uint32_t> previous_indirect;
  auto entry_byte = [&](size_t at) -> uint32_t { return at < entries.size() ? entries[at] : 0; };
  for (uint32_t i = 0; i < header.attribute_count; ++i) {
    const uint32_t kind = entry_byte(4 * i);
    const uint32_t k = kind & 0x7F;
    const uint32_t v =
        entry_byte(4 * i + 1) | entry_byte(4 * i + 2) << 8 | entry_byte(4 * i + 3) << 16;
    if (kind & 0x80) {
      if (k < kRecordedAttributes) slots_[k] = {true, 4 * i + 1, 3};
    } else {
      const uint32_t position = data_area + v;
      if (k < kRecordedAttributes) slots_[k] = {true, position, 0};
      if (previous_indirect && *previous_indirect < kRecordedAttributes) {
        Slot& previous = slots_[*previous_indirect];
        previous.length = position - previous.position;
      }
      previous_indirect = k;
    }
    if (k < kRecordedAttributes) presence_mask_ |= 1u << k;
  }
  if (previous_indirect && *previous_indirect < kRecordedAttributes) {
    Slot& last = slots_[*previous_indirect];
    last.length = header.body_length - last.position;
  }
}

std::optional<BodyRange> MessageInfoRecord::ValueRange(uint32_t k) const {
  if (k >= kRecordedAttributes || !slots_[k].present) return std::nullopt;
  const Slot& slot = slots_[k];
  uint32_t in_body = slot.position < header_.body_length ? header_.body_length - slot.position : 0;
  return BodyRange{slot.position, std::min({slot.length, 4u, in_body})};
}

std::optional<BodyRange> MessageInfoRecord::WholeRange(uint32_t k) const {
  if (k >= kRecordedAttributes || !slots_[k].present) return std::nullopt;
  const Slot& slot = slots_[k];
  uint32_t in_body = slot.position < header_.body_length ? header_.body_length - slot.position : 0;
  return BodyRange{slot.position, std::min(slot.length, in_body)};
}

uint32_t MessageInfoRecord::ValueFromBytes(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (size_t i = 0; i < bytes.size() && i < 4; ++i) value |= uint32_t{bytes[i]} << (8 * i);
  return value;
}

void MessageInfoRecordBuilder::AddDirect(uint8_t index, uint32_t value) {
  entries_.push_back({static_cast<uint8_t>(index | 0x80), static_cast<uint8_t>(value),
                      static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16)});
}

void MessageInfoRecordBuilder::AddBytes(uint8_t index, std::span<const uint8_t> bytes) {
  const auto at = static_cast<uint32_t>(data_.size());
  entries_.push_back({static_cast<uint8_t>(index & 0x7F), static_cast<uint8_t>(at),
                      static_cast<uint8_t>(at >> 8), static_cast<uint8_t>(at >> 16)});
  data_.insert(data_.end(), bytes.begin(), bytes.end());
}

void MessageInfoRecordBuilder::AddNumber(uint8_t index, uint32_t value) {
  if (value < (1u << 24)) {
    AddDirect(index, value);
    return;
  }
  uint8_t bytes[4];
  StoreLe32(bytes, value);
  AddBytes(index, bytes);
}

void MessageInfoRecordBuilder::AddString(uint8_t index, const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  AddBytes(index, bytes);
}

void MessageInfoRecordBuilder::AddFileTime(uint8_t index, uint64_t filetime) {
  uint8_t bytes[8];
  StoreLe32(bytes, static_cast<uint32_t>(filetime));
  StoreLe32(bytes + 4, static_cast<uint32_t>(filetime >> 32));
  AddBytes(index, bytes);
}

std::vector<uint8_t> MessageInfoRecordBuilder::Build(uint32_t self_offset) const {
  const auto body_length = static_cast<uint32_t>(entries_.size() * 4 + data_.size());
  std::vector<uint8_t> bytes(kRecordHeaderSize + body_length);
  StoreLe32(&bytes[0], self_offset);
  StoreLe32(&bytes[4], body_length);
  bytes[10] = static_cast<uint8_t>(entries_.size());
  uint8_t* out = &bytes[kRecordHeaderSize];
  for (const auto& entry : entries_) out = std::copy(entry.begin(), entry.end(), out);
  std::copy(data_.begin(), data_.end(), out);
  return bytes;
}

}  // namespace rescuva::engine
