// Decoding the folder file's structures from bytes, and the block scan's in-memory test.
#include <gtest/gtest.h>

#include <random>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "engine/folder_file_header.h"
#include "engine/index_node.h"
#include "engine/message_info_record.h"
#include "engine/position_set.h"

namespace rescuva::engine {
namespace {

// A record from raw entry bytes and a data area; returns attribute k's value.
uint32_t ValueOf(const std::vector<uint8_t>& body, uint8_t attribute_count, uint32_t k) {
  MessageInfoRecordHeader header{0, static_cast<uint32_t>(body.size()), 0, attribute_count, 0};
  MessageInfoRecord record(header, std::span(body).first(header.EntryBytesInBody()));
  auto range = record.ValueRange(k);
  if (!range) return 0;
  return MessageInfoRecord::ValueFromBytes(std::span(body).subspan(range->position, range->count));
}

TEST(MessageInfoRecord, AttributeValuesByForm) {
  // direct: a 24-bit value
  EXPECT_EQ(ValueOf({0x84, 0x56, 0x34, 0x12}, 1, 4), 0x123456u);
  // indirect with four or more bytes: a full 32-bit value
  EXPECT_EQ(ValueOf({0x04, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 0xFF}, 1, 4), 0x12345678u);
  // two consecutive indirect values at 0 and 8: the first is 8 bytes long
  EXPECT_EQ(ValueOf({0x04, 0, 0, 0, 0x05, 8, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9}, 2, 4),
            0x04030201u);
  // the last indirect value lying 2 bytes before the end of the body: 16 bits
  EXPECT_EQ(ValueOf({0x04, 2, 0, 0, 0xAA, 0xBB, 0x34, 0x12}, 1, 4), 0x1234u);
  // a value positioned past the end of the body reads as zero
  EXPECT_EQ(ValueOf({0x04, 0x40, 0, 0, 1, 2}, 1, 4), 0u);
}

TEST(MessageInfoRecord, PresenceAndLargeIndexes) {
  // index 40 sets no slot and no presence bit, but still ends the previous value
  std::vector<uint8_t> body = {0x04, 0, 0, 0, 0x28, 2, 0, 0, 0xEF, 0xBE, 0xAD, 0xDE};
  MessageInfoRecordHeader header{0, static_cast<uint32_t>(body.size()), 0, 2, 0};
  MessageInfoRecord record(header, std::span(body).first(8));
  EXPECT_EQ(record.PresenceMask(), 1u << 4);
  EXPECT_EQ(record.ValueRange(4)->count, 2u);
  EXPECT_FALSE(record.ValueRange(40));
  EXPECT_FALSE(record.ValueRange(5));
  // entries lying outside a short body read as zero: attribute 0, direct value 0
  MessageInfoRecordHeader cut{0, 2, 0, 2, 0};
  std::vector<uint8_t> two = {0x81, 0x07};
  MessageInfoRecord short_record(cut, two);
  EXPECT_EQ(short_record.PresenceMask(), (1u << 1) | 1u);
}

TEST(MessageInfoRecord, BuilderRoundTrip) {
  MessageInfoRecordBuilder builder;
  builder.AddDirect(0, 7);
  builder.AddNumber(4, 0x01234567);
  builder.AddString(8, "Subject");
  auto bytes = builder.Build(0x400);
  auto header = MessageInfoRecordHeader::Decode(std::span(bytes).first<kRecordHeaderSize>());
  EXPECT_EQ(header.self_offset, 0x400u);
  EXPECT_EQ(header.attribute_count, 3);
  auto body = std::vector<uint8_t>(bytes.begin() + kRecordHeaderSize, bytes.end());
  EXPECT_EQ(ValueOf(body, 3, 4), 0x01234567u);
  EXPECT_EQ(ValueOf(body, 3, 0), 7u);
}

TEST(IndexNode, AcceptanceAndRoundTrip) {
  IndexNode node;
  node.self_offset = 0x300;
  node.parent_offset = 0x100;
  node.entry_count = 51;
  node.entries[50] = {0x1234, 0x5678, 9};
  const IndexNode decoded = IndexNode::Decode(node.Encode());
  EXPECT_EQ(decoded.entries[50].child_entry_count, 9u);
  EXPECT_TRUE(decoded.IsAcceptable(0x300, 0x100));
  EXPECT_FALSE(decoded.IsAcceptable(0x300, 0));      // reached from another node
  EXPECT_FALSE(decoded.IsAcceptable(0x304, 0x100));  // read elsewhere
  node.entry_count = 52;
  EXPECT_FALSE(IndexNode::Decode(node.Encode()).IsAcceptable(0x300, 0x100));
}

TEST(FolderFileHeader, EmptyIndexWhenEitherFieldIsZero) {
  EXPECT_FALSE((FolderFileHeader{0, 0x24BC}).HasIndex());
  EXPECT_FALSE((FolderFileHeader{5, 0}).HasIndex());
  auto bytes = FolderFileHeader{5, 0x24BC}.Encode();
  EXPECT_EQ(bytes[0], 0xCF);
  EXPECT_EQ(bytes[4], 0xC5);
  EXPECT_EQ(FolderFileHeader::Decode(bytes).index_root, 0x24BCu);
}

TEST(PositionSet, HoldsZeroAndGrows) {
  PositionSet set;
  EXPECT_FALSE(set.Contains(0));
  set.Insert(0);
  EXPECT_TRUE(set.Contains(0));
  for (uint32_t i = 1; i <= 100000; ++i) set.Insert(i * 0x210);
  set.Insert(0x210);
  EXPECT_TRUE(set.Contains(50000 * 0x210));
  EXPECT_FALSE(set.Contains(50000 * 0x210 + 1));
  // positions in an image past 4 GiB are not their low 32 bits
  set.Insert((uint64_t{5} << 32) + 0x210);
  EXPECT_TRUE(set.Contains((uint64_t{5} << 32) + 0x210));
  EXPECT_FALSE(set.Contains((uint64_t{6} << 32) + 0x210));
}

// Dense offsets of a small file move into its bitmap; offsets past the file stay in
// the table, and both kinds are still found.
TEST(PositionSet, DenseOffsetsMoveIntoTheFilesBitmap) {
  PositionSet set;
  constexpr uint32_t kLength = 1 << 20;
  set.SetFileLength(kLength);
  for (uint32_t at = 4; at <= kLength; at += 4) set.Insert(at);
  set.Insert(0xFFFFFFF0u);
  set.Insert(kLength + 1);
  for (uint32_t at = 4; at <= kLength; at += 4) {
    ASSERT_TRUE(set.Contains(at)) << at;
    ASSERT_FALSE(set.Contains(at - 1)) << at;
  }
  EXPECT_TRUE(set.Contains(0xFFFFFFF0u));
  EXPECT_TRUE(set.Contains(kLength + 1));
  EXPECT_FALSE(set.Contains(kLength + 2));
  EXPECT_FALSE(set.Contains(0));
}

std::vector<uint32_t> ScanOneByOne(const std::vector<uint8_t>& bytes, size_t count, uint32_t base) {
  std::vector<uint32_t> found;
  for (size_t k = 0; k < count; ++k) {
    if (LoadLe32(&bytes[k]) == base + k) found.push_back(base + static_cast<uint32_t>(k));
  }
  return found;
}

TEST(BlockSignatureScan, AgreesWithAPlainLoop) {
  std::mt19937 random(7);
  for (uint32_t base : {0u, 0x1FFF0u, 0xFFFF0000u - 70000u, 65532u * 5}) {
    std::vector<uint8_t> bytes(70003);
    // Random bytes drawn from a few values make many near misses on the high half.
    for (auto& b : bytes) b = static_cast<uint8_t>(random() % 4);
    for (size_t k = 0; k + 4 <= bytes.size(); k += 997)
      StoreLe32(&bytes[k], base + static_cast<uint32_t>(k));
    StoreLe32(&bytes[69999], base + 69999);  // the last offset tested
    std::vector<uint32_t> found;
    FindSelfOffsets(bytes.data(), 70000, base, found);
    EXPECT_EQ(found, ScanOneByOne(bytes, 70000, base)) << "base " << base;
    EXPECT_EQ(found.back(), base + 69999);
  }
}

}  // namespace
}  // namespace rescuva::engine
