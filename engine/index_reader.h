// The index of a folder file: the tree walk that names its records in order, and the
// attributes of one record at a time. Stage 1, the store's folder list and the copy
// finder read indexes through it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/message_info_record.h"
#include "engine/position_set.h"
#include "platform/byte_source.h"

namespace rescuva::engine {

class IndexReader {
 public:
  struct Slot {
    uint64_t position;  // the record's place in the index
    uint32_t info_offset;
  };

  // The folder file whose header lies at `shift` in `source` (0: the source is it).
  explicit IndexReader(const platform::ByteSource& source, int64_t shift = 0);

  // The records the index lists, by place, each place once; nothing when the header
  // names no index (or, inside the source, is no folder file's), when the walk failed
  // or a read did. `count` receives the header's message count.
  std::optional<std::vector<Slot>> Walk(uint64_t& count);
  // The records in index order; empty when it lists none.
  std::vector<uint32_t> Records();
  // The read of the header failed.
  bool ReadFailed() const { return read_failed_; }

  // Reads the record at `offset`; the attribute calls below then answer for it.
  void ReadRecord(uint32_t offset);
  uint32_t PresenceMask() const { return record_.PresenceMask(); }
  uint32_t AttributeValue(uint32_t index) const;
  // The whole value of an attribute, at most `limit` bytes.
  std::vector<uint8_t> AttributeBytes(uint32_t index, size_t limit = 4096) const;
  // Its text up to the first zero byte, as stored (the ANSI code page).
  std::string AttributeText(uint32_t index) const;
  RecordFacts FactsOfRecord() const;

 private:
  bool WalkNode(uint32_t parent, uint32_t node, uint64_t first_position, uint64_t count, int depth);
  // Where a node or record the index names lies.
  uint64_t PositionOf(uint32_t offset) const;

  const platform::ByteSource& source_;
  const int64_t shift_;
  uint64_t capacity_ = 0;
  std::vector<Slot> slots_;
  PositionSet visited_;  // nodes walked
  bool read_failed_ = false;
  uint32_t current_ = 0;
  MessageInfoRecord record_;
  std::vector<uint8_t> record_bytes_;  // the record's first bytes, read with its header
};

}  // namespace rescuva::engine
