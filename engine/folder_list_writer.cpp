#include "engine/folder_list_writer.h"

#include <algorithm>

#include "engine/folder_file_header.h"
#include "engine/folder_file_writer.h"
#include "engine/message_info_record.h"

namespace rescuva::engine {
namespace {

// Folders.dbx's own file-info block holds no names.
constexpr size_t kFolderListInfoLength = 0x108;
constexpr uint32_t kLocalFolders = 1;

void Put(std::vector<uint8_t>& bytes, uint64_t at, std::span<const uint8_t> data) {
  if (bytes.size() < at + data.size()) bytes.resize(at + data.size());
  std::copy(data.begin(), data.end(), bytes.begin() + static_cast<ptrdiff_t>(at));
}

}  // namespace

std::vector<uint8_t> FolderListBytes(std::vector<FolderListEntry> folders) {
  std::vector<uint8_t> bytes(kFolderFileHeaderSize + kFolderListInfoLength);
  std::vector<uint32_t> records;
  auto add = [&](const MessageInfoRecordBuilder& record) {
    const auto at = static_cast<uint32_t>(bytes.size());
    Put(bytes, at, record.Build(at));
    bytes.resize((bytes.size() + 3) & ~size_t{3});
    records.push_back(at);
  };
  MessageInfoRecordBuilder root;
  root.AddNumber(kFolderParent, 0xFFFFFFFF);
  root.AddString(kFolderName, "Outlook Express");
  root.AddDirect(kFolderFlags, 0x10);
  root.AddDirect(kFolderAccountType, 4);
  add(root);
  MessageInfoRecordBuilder local;
  local.AddDirect(kFolderId, kLocalFolders);
  local.AddString(kFolderName, "Local Folders");
  local.AddString(kFolderAccountKey, "LocalStore");
  local.AddDirect(kFolderFlags, 0x19);
  local.AddDirect(kFolderAccountType, 3);
  add(local);
  std::stable_sort(folders.begin(), folders.end(),
                   [](const FolderListEntry& a, const FolderListEntry& b) { return a.id < b.id; });
  uint32_t last_id = kLocalFolders;
  for (const FolderListEntry& folder : folders) {
    MessageInfoRecordBuilder record;
    record.AddNumber(kFolderId, folder.id);
    record.AddNumber(kFolderParent, folder.parent);
    record.AddString(kFolderName, folder.name);
    if (!folder.file.empty()) record.AddString(kFolderFile, folder.file);
    record.AddDirect(kFolderFlags, 1);
    if (folder.special) record.AddDirect(kFolderSpecial, static_cast<uint32_t>(folder.special));
    record.AddDirect(kFolderAccountType, 3);
    add(record);
    last_id = std::max(last_id, folder.id);
  }
  uint64_t end = bytes.size();
  const uint32_t index_root =
      WriteIndexTree(records, end, [&](uint64_t at, std::span<const uint8_t> data) {
        Put(bytes, at, data);
        return true;
      });
  FolderFileHeader header{static_cast<uint32_t>(records.size()), index_root,
                          static_cast<uint32_t>(kFolderListInfoLength), last_id,
                          static_cast<uint32_t>(bytes.size())};
  auto encoded = header.Encode();
  encoded[4] = 0xC6;  // the folder list's type
  Put(bytes, 0, encoded);
  return bytes;
}

}  // namespace rescuva::engine
