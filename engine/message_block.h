// The header of one message data block; up to 512 bytes of message text follow it.
//
//   0x00  4  SelfOffset  the block's own offset (tested only by the block scan)
//   0x04  4  BlockSize   512 in an ordinary block; anything else marks damage
//   0x08  4  DataLength  message bytes in this block (at most 512 are used)
//   0x0C  4  NextOffset  the next block of the message; 0 = last
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace rescuva::engine {

constexpr size_t kBlockHeaderSize = 16;
constexpr uint32_t kBlockDataSize = 512;
// The size field of a block Outlook Express freed when its message was deleted.
constexpr uint32_t kFreedBlockSize = 0x1FC;
// Outlook Express places blocks this far apart.
constexpr uint32_t kBlockSpacing = 0x210;

struct MessageBlockHeader {
  uint32_t self_offset = 0;
  uint32_t block_size = 0;
  uint32_t data_length = 0;
  uint32_t next_offset = 0;

  static MessageBlockHeader Decode(std::span<const uint8_t, kBlockHeaderSize> bytes);
  std::array<uint8_t, kBlockHeaderSize> Encode() const;
  bool IsDamaged() const { return block_size != kBlockDataSize; }
  bool IsFreed() const { return block_size == kFreedBlockSize; }
  // Either size field Outlook Express writes: the header looks like a message block's.
  bool IsBlockShaped() const { return block_size == kBlockDataSize || IsFreed(); }
};

}  // namespace rescuva::engine
