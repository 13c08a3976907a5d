// A message-info record: a 12-byte header, then a body of BodyLength bytes that starts
// with AttributeCount 4-byte attribute entries followed by the data area.
//
//   header  0x00  4  SelfOffset      the record's own offset
//           0x04  4  BodyLength      body bytes after the header
//           0x08  2  (kept)
//           0x0A  1  AttributeCount
//           0x0B  1  (kept)
//   entry   byte 0   bits 0-6 attribute index, bit 7 set = direct value
//           bytes 1-3  the value (direct) or its position in the data area (indirect)
//
// An indirect value runs to the next indirect entry in entry order; the last one runs
// to the end of the body. Only indexes below 32 are recorded.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rescuva::engine {

constexpr size_t kRecordHeaderSize = 12;
constexpr uint32_t kRecordedAttributes = 32;
constexpr uint32_t kFirstBlockAttribute = 4;

struct MessageInfoRecordHeader {
  uint32_t self_offset = 0;
  uint32_t body_length = 0;
  uint16_t field_08 = 0;
  uint8_t attribute_count = 0;
  uint8_t field_0b = 0;

  static MessageInfoRecordHeader Decode(std::span<const uint8_t, kRecordHeaderSize> bytes);
  // Bytes of the entry table as the body holds them (the rest of the table reads as zero).
  uint32_t EntryBytesInBody() const;
};

// Where an attribute's value lies in the body: at most 4 bytes from `position`, cut
// at the end of the body.
struct BodyRange {
  uint32_t position = 0;
  uint32_t count = 0;
};

class MessageInfoRecord {
 public:
  MessageInfoRecord() = default;
  // `entries` holds the first EntryBytesInBody() bytes of the body.
  MessageInfoRecord(const MessageInfoRecordHeader& header, std::span<const uint8_t> entries);

  const MessageInfoRecordHeader& Header() const { return header_; }
  uint32_t PresenceMask() const { return presence_mask_; }
  // Where to find attribute k's value; nothing when the record has no such attribute.
  std::optional<BodyRange> ValueRange(uint32_t k) const;
  // The same for the whole value (a text or a time), cut at the end of the body.
  std::optional<BodyRange> WholeRange(uint32_t k) const;
  // The value from the bytes of its range, little-endian and zero-extended.
  static uint32_t ValueFromBytes(std::span<const uint8_t> bytes);

 private:
  struct Slot {
    bool present = false;
    uint32_t position = 0;
    uint32_t length = 0;
  };
  MessageInfoRecordHeader header_;
  std::array<Slot, kRecordedAttributes> slots_{};
  uint32_t presence_mask_ = 0;
};

// Record flags a mail program shows.
inline constexpr uint32_t kRecordFlagged = 1u << 5;
inline constexpr uint32_t kRecordRead = 1u << 7;
inline constexpr uint32_t kRecordAnswered = 1u << 19;
inline constexpr uint32_t kRecordForwarded = 1u << 20;

// What a message-info record says of its message beyond where its text lies.
struct RecordFacts {
  uint32_t flags = 0;                    // the kRecord... bits among others
  std::optional<int64_t> sent_time;      // seconds since 1970-01-01 UTC
  std::optional<int64_t> received_time;  // seconds since 1970-01-01 UTC
  std::string message_id;                // as the record holds it, brackets and all
};

// Record attributes a folder file's index records carry.
enum RecordAttribute : uint8_t {
  kAttributeFlags = 0x01,
  kAttributeSentTime = 0x02,
  kAttributeMessageId = 0x07,
  kAttributeReceivedTime = 0x12,
};

// Builds a record's bytes for a writer: attributes are added in ascending index order.
class MessageInfoRecordBuilder {
 public:
  void AddDirect(uint8_t index, uint32_t value);  // value below 2^24
  void AddBytes(uint8_t index, std::span<const uint8_t> bytes);
  void AddNumber(uint8_t index, uint32_t value);           // direct when it fits, else 4 bytes
  void AddString(uint8_t index, const std::string& text);  // zero-terminated
  void AddFileTime(uint8_t index, uint64_t filetime);
  std::vector<uint8_t> Build(uint32_t self_offset) const;

 private:
  std::vector<std::array<uint8_t, 4>> entries_;
  std::vector<uint8_t> data_;
};

}  // namespace rescuva::engine
