#include "engine/index_node.h"

#include "engine/byte_order.h"

namespace rescuva::engine {
namespace {

constexpr size_t kEntriesAt = 0x18;
constexpr size_t kEntrySize = 12;

}  // namespace

IndexNode IndexNode::Decode(std::span<const uint8_t, kIndexNodeSize> bytes) {
  IndexNode node;
  node.self_offset = LoadLe32(&bytes[0x00]);
  node.child_offset = LoadLe32(&bytes[0x08]);
  node.parent_offset = LoadLe32(&bytes[0x0C]);
  node.entry_count = bytes[0x11];
  node.child_entry_count = LoadLe32(&bytes[0x14]);
  for (size_t i = 0; i < kMaxIndexEntries; ++i) {
    const uint8_t* entry = &bytes[kEntriesAt + i * kEntrySize];
    node.entries[i] = {LoadLe32(entry), LoadLe32(entry + 4), LoadLe32(entry + 8)};
  }
  return node;
}

std::array<uint8_t, kIndexNodeSize> IndexNode::Encode() const {
  std::array<uint8_t, kIndexNodeSize> bytes{};
  StoreLe32(&bytes[0x00], self_offset);
  StoreLe32(&bytes[0x08], child_offset);
  StoreLe32(&bytes[0x0C], parent_offset);
  bytes[0x11] = entry_count;
  StoreLe32(&bytes[0x14], child_entry_count);
  for (size_t i = 0; i < kMaxIndexEntries; ++i) {
    uint8_t* entry = &bytes[kEntriesAt + i * kEntrySize];
    StoreLe32(entry, entries[i].info_offset);
    StoreLe32(entry + 4, entries[i].child_offset);
    StoreLe32(entry + 8, entries[i].child_entry_count);
  }
  return bytes;
}

}  // namespace rescuva::engine
