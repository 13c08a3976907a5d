#include "engine/index_reader.h"

#include <algorithm>
#include <array>
#include <new>

#include "engine/byte_order.h"
#include "engine/chain_reading.h"
#include "engine/file_time.h"
#include "engine/folder_file_header.h"
#include "engine/index_node.h"

namespace rescuva::engine {
namespace {

// Honest trees are a few levels deep and name each node once; a crafted tree that
// names the same child again and again is walked into each node only once.
constexpr int kMaxIndexDepth = 64;
constexpr size_t kRecordPrefetch = 2048;  // header, up to 255 entries and the data's start

}  // namespace

IndexReader::IndexReader(const platform::ByteSource& source, int64_t shift)
    : source_(source), shift_(shift) {
  visited_.SetFileLength(source.Length());
}

std::optional<std::vector<IndexReader::Slot>> IndexReader::Walk(uint64_t& count) {
  std::array<uint8_t, kFolderFileHeaderSize> bytes;
  if (!source_.ReadAt(static_cast<uint64_t>(shift_), bytes)) {
    read_failed_ = true;
    return std::nullopt;
  }
  // a folder file found inside another is believed only with its signature
  if (shift_ != 0 && !FolderFileHeader::HasMessageFolderSignature(bytes)) return std::nullopt;
  const FolderFileHeader header = FolderFileHeader::Decode(bytes);
  if (!header.HasIndex()) return std::nullopt;
  count = header.message_count;

  // The index array is kept sparse: only the slots the walk writes take memory, so a
  // count of four billion costs nothing while the tree delivers a handful.
  capacity_ = header.message_count;
  slots_.clear();
  bool walked = false;
  try {
    walked = WalkNode(0, header.index_root, 0, header.message_count, 0);
    // A slot written twice keeps the later entry.
    std::stable_sort(slots_.begin(), slots_.end(),
                     [](const Slot& a, const Slot& b) { return a.position < b.position; });
  } catch (const std::bad_alloc&) {
    walked = false;
  }
  std::vector<Slot> slots = std::move(slots_);
  slots_ = {};
  if (!walked) return std::nullopt;
  std::vector<Slot> once;
  for (size_t i = 0; i < slots.size(); ++i) {
    if (i + 1 < slots.size() && slots[i + 1].position == slots[i].position) continue;
    once.push_back(slots[i]);
  }
  return once;
}

std::vector<uint32_t> IndexReader::Records() {
  uint64_t count = 0;
  std::vector<uint32_t> records;
  if (const auto slots = Walk(count)) {
    for (const Slot& slot : *slots) records.push_back(slot.info_offset);
  }
  return records;
}

uint64_t IndexReader::PositionOf(uint32_t offset) const {
  return ChainReading{shift_}.PositionOf(offset, source_.Length());
}

bool IndexReader::WalkNode(uint32_t parent, uint32_t node, uint64_t first_position, uint64_t count,
                           int depth) {
  const uint64_t at = PositionOf(node);
  if (first_position + count > capacity_ || at > source_.Length()) return true;
  if (depth > kMaxIndexDepth || visited_.Contains(at)) return true;
  std::array<uint8_t, kIndexNodeSize> bytes;
  if (!source_.ReadAt(at, bytes)) return false;
  const IndexNode decoded = IndexNode::Decode(bytes);
  if (!decoded.IsAcceptable(node, parent)) return true;
  visited_.Insert(at);

  uint64_t f = 0;
  if (decoded.child_offset != 0) {
    if (!WalkNode(node, decoded.child_offset, first_position, decoded.child_entry_count,
                  depth + 1)) {
      return false;
    }
    f = decoded.child_entry_count;
  }
  for (uint32_t i = 0; i < decoded.entry_count; ++i) {
    const IndexEntry& entry = decoded.entries[i];
    if (entry.info_offset != 0) {
      if (first_position + f + 1 > capacity_) return true;
      slots_.push_back({first_position + f, entry.info_offset});
      ++f;
    }
    if (entry.child_offset != 0) {
      if (!WalkNode(node, entry.child_offset, first_position + f, entry.child_entry_count,
                    depth + 1)) {
        return false;
      }
      f += entry.child_entry_count;
    }
  }
  return true;
}

// A record's header, entries and the start of its data come in one read; a value
// beyond these bytes is read on its own.
void IndexReader::ReadRecord(uint32_t offset) {
  record_ = {};
  current_ = offset;
  record_bytes_.resize(kRecordPrefetch);
  const uint64_t at = PositionOf(offset);
  if (at > source_.Length() || !source_.ReadAt(at, record_bytes_)) return;
  const auto header =
      MessageInfoRecordHeader::Decode(std::span(record_bytes_).first<kRecordHeaderSize>());
  if (header.self_offset != offset) return;
  record_ = MessageInfoRecord(
      header, std::span(record_bytes_).subspan(kRecordHeaderSize, header.EntryBytesInBody()));
}

uint32_t IndexReader::AttributeValue(uint32_t index) const {
  const auto range = record_.ValueRange(index);
  if (!range || range->count == 0) return 0;
  const uint64_t at = kRecordHeaderSize + uint64_t{range->position};
  if (at + range->count <= record_bytes_.size()) {
    return MessageInfoRecord::ValueFromBytes(std::span(record_bytes_).subspan(at, range->count));
  }
  std::array<uint8_t, 4> bytes{};
  auto value = std::span(bytes).first(range->count);
  const uint64_t record = PositionOf(current_);
  if (!source_.ReadAt(record + at, value)) return 0;
  return MessageInfoRecord::ValueFromBytes(value);
}

std::vector<uint8_t> IndexReader::AttributeBytes(uint32_t index, size_t limit) const {
  const auto range = record_.WholeRange(index);
  if (!range || range->count == 0) return {};
  const uint64_t at = kRecordHeaderSize + uint64_t{range->position};
  const size_t count = std::min<size_t>(range->count, limit);
  if (at + count <= record_bytes_.size()) {
    return {record_bytes_.begin() + static_cast<ptrdiff_t>(at),
            record_bytes_.begin() + static_cast<ptrdiff_t>(at + count)};
  }
  std::vector<uint8_t> bytes(count);
  if (!source_.ReadAt(PositionOf(current_) + at, bytes)) return {};
  return bytes;
}

std::string IndexReader::AttributeText(uint32_t index) const {
  const std::vector<uint8_t> bytes = AttributeBytes(index);
  const auto end = std::find(bytes.begin(), bytes.end(), 0);
  return {bytes.begin(), end};
}

RecordFacts IndexReader::FactsOfRecord() const {
  auto time = [this](uint32_t index) -> std::optional<int64_t> {
    const std::vector<uint8_t> bytes = AttributeBytes(index, 8);
    if (bytes.size() != 8) return std::nullopt;
    return FromFileTime(LoadLe32(&bytes[0]) | uint64_t{LoadLe32(&bytes[4])} << 32);
  };
  RecordFacts facts;
  facts.flags = AttributeValue(kAttributeFlags);
  facts.sent_time = time(kAttributeSentTime);
  facts.received_time = time(kAttributeReceivedTime);
  facts.message_id = AttributeText(kAttributeMessageId);
  return facts;
}

}  // namespace rescuva::engine
