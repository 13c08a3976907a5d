// One node of the message index tree (0x27C bytes); its in-order walk lists the
// message-info records.
//
//   0x00   4  SelfOffset       the node's own offset
//   0x08   4  ChildOffset      node with the entries before entry 0; 0 = none
//   0x0C   4  ParentOffset     the node this one is reached from; 0 for the root
//   0x11   1  EntryCount       used entries, at most 51
//   0x14   4  ChildEntryCount  entries in the subtree at ChildOffset
//   0x18  51 x 12  entries:    InfoOffset, ChildOffset (entries after this one),
//                              ChildEntryCount
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace rescuva::engine {

constexpr size_t kIndexNodeSize = 0x27C;
constexpr uint32_t kMaxIndexEntries = 51;

struct IndexEntry {
  uint32_t info_offset = 0;
  uint32_t child_offset = 0;
  uint32_t child_entry_count = 0;
};

struct IndexNode {
  uint32_t self_offset = 0;
  uint32_t child_offset = 0;
  uint32_t parent_offset = 0;
  uint8_t entry_count = 0;
  uint32_t child_entry_count = 0;
  std::array<IndexEntry, kMaxIndexEntries> entries{};

  static IndexNode Decode(std::span<const uint8_t, kIndexNodeSize> bytes);
  std::array<uint8_t, kIndexNodeSize> Encode() const;
  // A node read at `offset`, reached from `parent` (0 for the root), is used only when
  // it names itself and its parent and holds at most 51 entries.
  bool IsAcceptable(uint32_t offset, uint32_t parent) const {
    return self_offset == offset && parent_offset == parent && entry_count <= kMaxIndexEntries;
  }
};

}  // namespace rescuva::engine
