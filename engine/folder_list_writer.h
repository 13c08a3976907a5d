// The folder list of a store (Folders.dbx) as Outlook Express lays it out: the tree's
// root "Outlook Express", "Local Folders" (id 1), then one record per folder in id
// order, each naming its parent, its name and its mail file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rescuva::engine {

// The attributes of a folder record, as its reader and its writer know them.
enum FolderAttribute : uint8_t {
  kFolderId = 0x00,
  kFolderParent = 0x01,
  kFolderName = 0x02,
  kFolderFile = 0x03,
  kFolderAccountKey = 0x05,
  kFolderFlags = 0x06,
  kFolderSpecial = 0x09,
  kFolderAccountType = 0x0A,
};

// One folder below "Local Folders" (id 1) or below another folder. `name` and `file`
// are stored as given, in the ANSI code page.
struct FolderListEntry {
  uint32_t id = 0;
  uint32_t parent = 1;
  std::string name;
  std::string file;  // empty: the folder has no mail file
  int special = 0;   // 1 Inbox, 2 Outbox, 3 Sent Items, 4 Deleted Items, 5 Drafts
};

// The whole file: header, its short file-info block, the records 4-byte aligned and
// the index tree naming them.
std::vector<uint8_t> FolderListBytes(std::vector<FolderListEntry> folders);

}  // namespace rescuva::engine
