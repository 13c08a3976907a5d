#include "engine/file_info_block.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/windows_1252.h"

namespace rescuva::engine {
namespace {

constexpr uint32_t kSourceTypeAt = 0x04;
constexpr uint32_t kAccountKeyAt = 0x05;
constexpr uint32_t kFolderNameAt = 0x105;
constexpr uint32_t kSpecialFolderAt = 0x208;
constexpr uint32_t kAccountTypeAt = 0x210;
constexpr uint32_t kNameLimit = kSpecialFolderAt - kFolderNameAt;
constexpr uint8_t kLocal = 3;

}  // namespace

FolderFileKind KindOfFolderFile(std::span<const uint8_t> first_bytes) {
  constexpr uint8_t kMagic[] = {0xCF, 0xAD, 0x12, 0xFE};
  if (first_bytes.size() < 8 || !std::equal(kMagic, kMagic + 4, first_bytes.begin())) {
    return FolderFileKind::kOther;
  }
  switch (LoadLe32(&first_bytes[4])) {
    case 0x6F74FDC5:
      return FolderFileKind::kMessages;
    case 0x6F74FDC6:
      return FolderFileKind::kFolderList;
    case 0x6F74FDC7:
      return FolderFileKind::kPop3Ids;
    case 0x26FE9D30:
      return FolderFileKind::kOffline;
    default:
      return FolderFileKind::kOther;
  }
}

std::vector<uint8_t> FileInfoBlock::Encode() const {
  std::vector<uint8_t> bytes(kFileInfoSize);
  bytes[0] = 1;
  bytes[kSourceTypeAt] = kLocal;
  constexpr char kLocalStore[] = "LocalStore";
  std::memcpy(&bytes[kAccountKeyAt], kLocalStore, sizeof kLocalStore);
  const std::string name = ToWindows1252(folder_name).substr(0, kNameLimit - 1);
  std::copy(name.begin(), name.end(), bytes.begin() + kFolderNameAt);
  bytes[kSpecialFolderAt] = special_folder;
  bytes[kAccountTypeAt] = kLocal;
  return bytes;
}

std::optional<FileInfoBlock> FileInfoBlock::Read(const platform::SourceFile& file) {
  std::array<uint8_t, kFolderFileHeaderSize> header{};
  if (!file.ReadAt(0, header)) return std::nullopt;
  const uint32_t length = FolderFileHeader::Decode(header).file_info_length;
  if (length <= kFolderNameAt) return std::nullopt;
  std::array<uint8_t, kSpecialFolderAt + 1 - kFolderNameAt> name_bytes{};
  if (!file.ReadAt(kFileInfoAt + kFolderNameAt, name_bytes)) return std::nullopt;
  const auto end = std::find(name_bytes.begin(), name_bytes.begin() + kNameLimit, 0);
  FileInfoBlock block;
  block.folder_name = FromWindows1252({reinterpret_cast<const char*>(name_bytes.data()),
                                       static_cast<size_t>(end - name_bytes.begin())});
  if (length > kSpecialFolderAt) block.special_folder = name_bytes.back();
  if (block.folder_name.empty()) return std::nullopt;
  return block;
}

}  // namespace rescuva::engine
