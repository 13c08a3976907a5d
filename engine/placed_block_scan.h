// Blocks that lie away from their own offsets: a folder file inside a disk image, cut
// or padded at the front, or stored by a file system in several pieces. Such a block
// is believed when the block 0x210 bytes after it agrees (its own offset 0x210 higher),
// so stray bytes that happen to look like one block are not kept. Folder-file
// headers found anywhere but at the start are noted too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rescuva::engine {

struct PlacedBlock {
  uint64_t position = 0;  // where the block lies in the source
  uint32_t own = 0;       // the offset it stores: where its folder file has it
  uint32_t next = 0;      // the own offset of the next block; 0 ends the chain
  uint32_t back = 0;      // the first data word: in a freed block, the block before
  bool freed = false;
  int64_t Shift() const { return static_cast<int64_t>(position) - int64_t{own}; }
};

class PlacedBlockScan {
 public:
  // Bytes a window must hold beyond the positions it tests.
  static constexpr size_t kLookAhead = 0x210 + 20;  // the next block's header and data word

  // Looks at the positions [position, position + count) of the source, whose bytes
  // start at `bytes`, which holds count + kLookAhead bytes. Windows come in order.
  void Scan(const uint8_t* bytes, size_t count, uint64_t position);

  // The blocks found, in order of position.
  std::vector<PlacedBlock>& Blocks() { return blocks_; }
  // Positions of message-folder headers found past the start, in order.
  const std::vector<uint64_t>& Headers() const { return headers_; }

 private:
  void Check(const uint8_t* at, uint64_t here);
  void Keep(const uint8_t* at, uint64_t here);

  std::vector<PlacedBlock> blocks_;
  std::vector<uint64_t> headers_;
  uint64_t partner_ = 0;  // the second block of the last agreeing pair, kept in its turn
};

}  // namespace rescuva::engine
