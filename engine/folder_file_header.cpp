#include "engine/folder_file_header.h"

#include <algorithm>

#include "engine/byte_order.h"

namespace rescuva::engine {
namespace {

constexpr size_t kMessageCountAt = 0xC4;
constexpr size_t kIndexRootAt = 0xE4;
constexpr size_t kFileInfoLengthAt = 0x1C;
constexpr size_t kFileInfoEndAt = 0x24;
constexpr size_t kLastIdAt = 0x5C;
constexpr size_t kUsedSizeAt = 0x7C;
constexpr uint8_t kMessageFolderSignature[] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74,
                                               0x6F, 0x66, 0xE3, 0xD1, 0x11, 0x9A, 0x4E,
                                               0x00, 0xC0, 0x4F, 0xA3, 0x09, 0xD4};

}  // namespace

FolderFileHeader FolderFileHeader::Decode(std::span<const uint8_t, kFolderFileHeaderSize> bytes) {
  return {LoadLe32(&bytes[kMessageCountAt]), LoadLe32(&bytes[kIndexRootAt]),
          LoadLe32(&bytes[kFileInfoLengthAt])};
}

bool FolderFileHeader::HasMessageFolderSignature(
    std::span<const uint8_t, kFolderFileHeaderSize> bytes) {
  constexpr size_t kSignatureAndType = 8;
  return std::equal(kMessageFolderSignature, kMessageFolderSignature + kSignatureAndType,
                    bytes.begin());
}

std::array<uint8_t, kFolderFileHeaderSize> FolderFileHeader::Encode() const {
  std::array<uint8_t, kFolderFileHeaderSize> bytes{};
  std::copy(std::begin(kMessageFolderSignature), std::end(kMessageFolderSignature), bytes.begin());
  StoreLe32(&bytes[kMessageCountAt], message_count);
  StoreLe32(&bytes[kIndexRootAt], index_root);
  StoreLe32(&bytes[kLastIdAt], last_id);
  StoreLe32(&bytes[kUsedSizeAt], used_size);
  if (file_info_length != 0) {
    StoreLe32(&bytes[kFileInfoLengthAt], file_info_length);
    StoreLe32(&bytes[kFileInfoEndAt],
              static_cast<uint32_t>(kFolderFileHeaderSize) + file_info_length);
  }
  return bytes;
}

}  // namespace rescuva::engine
