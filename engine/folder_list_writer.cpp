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

enum Attribute : uint8_t {
  kId = 0x00,
  kParent = 0x01,
  kName = 0x02,
  kFile = 0x03,
  kAccountKey = 0x05,
  kFlags = 0x06,
  kSpecial = 0x09,
  kAccountType = 0x0A,
};

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
  root.AddNumber(kParent, 0xFFFFFFFF);
  root.AddString(kName, "Outlook Express");
  root.AddDirect(kFlags, 0x10);
  root.AddDirect(kAccountType, 4);
  add(root);
  MessageInfoRecordBuilder local;
  local.AddDirect(kId, kLocalFolders);
  local.AddString(kName, "Local Folders");
  local.AddString(kAccountKey, "LocalStore");
  local.AddDirect(kFlags, 0x19);
  local.AddDirect(kAccountType, 3);
  add(local);
  std::stable_sort(folders.begin(), folders.end(),
                   [](const FolderListEntry& a, const FolderListEntry& b) { return a.id < b.id; });
  uint32_t last_id = kLocalFolders;
  for (const FolderListEntry& folder : folders) {
    MessageInfoRecordBuilder record;
    record.AddNumber(kId, folder.id);
    record.AddNumber(kParent, folder.parent);
    record.AddString(kName, folder.name);
    if (!folder.file.empty()) record.AddString(kFile, folder.file);
    record.AddDirect(kFlags, 1);
    if (folder.special) record.AddDirect(kSpecial, static_cast<uint32_t>(folder.special));
    record.AddDirect(kAccountType, 3);
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
