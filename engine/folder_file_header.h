// The folder file's header at offset 0. Of its 0x24BC bytes the engine reads two fields:
//
//   0x0000  20  signature (written, never tested when reading)
//   0x001C   4  length of the file-info block after the header (written only)
//   0x0024   4  end of the file-info block (written only)
//   0x005C   4  the last message id handed out (written only)
//   0x007C   4  bytes of the file in use (written only)
//   0x00C4   4  MessageCount  entries in the message index tree
//   0x00E4   4  IndexRoot     offset of the index tree's root node
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace rescuva::engine {

constexpr size_t kFolderFileHeaderSize = 0x24BC;

struct FolderFileHeader {
  uint32_t message_count = 0;
  uint32_t index_root = 0;
  uint32_t file_info_length = 0;
  uint32_t last_id = 0;
  uint32_t used_size = 0;

  static FolderFileHeader Decode(std::span<const uint8_t, kFolderFileHeaderSize> bytes);
  // The header of a message folder file: signature, count, root, the file-info block's
  // extent, the last id and the size in use (each when not 0), the rest zero.
  std::array<uint8_t, kFolderFileHeaderSize> Encode() const;
  // Whether the bytes begin as a message folder file's header does (the signature and
  // the type of folder), as a folder file found inside another file must.
  static bool HasMessageFolderSignature(std::span<const uint8_t, kFolderFileHeaderSize> bytes);
  // Either field 0 means the index is empty.
  bool HasIndex() const { return message_count != 0 && index_root != 0; }
};

}  // namespace rescuva::engine
