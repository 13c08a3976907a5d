#include "engine/message_block.h"

#include "engine/byte_order.h"

namespace rescuva::engine {

MessageBlockHeader MessageBlockHeader::Decode(std::span<const uint8_t, kBlockHeaderSize> bytes) {
  return {LoadLe32(&bytes[0]), LoadLe32(&bytes[4]), LoadLe32(&bytes[8]), LoadLe32(&bytes[12])};
}

std::array<uint8_t, kBlockHeaderSize> MessageBlockHeader::Encode() const {
  std::array<uint8_t, kBlockHeaderSize> bytes{};
  StoreLe32(&bytes[0], self_offset);
  StoreLe32(&bytes[4], block_size);
  StoreLe32(&bytes[8], data_length);
  StoreLe32(&bytes[12], next_offset);
  return bytes;
}

}  // namespace rescuva::engine
