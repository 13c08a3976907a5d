// The records of a store's folder list: Folders.dbx of Outlook Express 5/6, whose
// records share the index and encoding of message-info records, and folders.nch of
// Outlook Express 4.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rescuva::store {

struct FolderRecord {
  uint32_t id = 0;
  uint32_t parent = 0;
  std::string name;  // UTF-8
  std::string file;  // the mail file's name; empty when the folder has none
  int special = 0;
  int account_type = 0;    // 3 local, 4 the tree's root
  bool local_key = false;  // the account key says the local store

  // "Outlook Express", above everything.
  bool IsTreeRoot() const { return account_type == 4 || parent == 0xFFFFFFFF; }
  // "Local Folders", the root of the local store's folders.
  bool IsLocalRoot() const { return local_key && file.empty(); }
};

// Folders.dbx in index order; empty when it cannot be read.
std::vector<FolderRecord> ReadFolderList(const std::string& path);

// folders.nch: a record holds the folder's name at +20, its .mbx file's name at +279
// and the offsets of its parent, first child and next sibling at +539, +543, +547.
// Records are found by that shape; ids are their offsets.
std::vector<FolderRecord> ReadOe4FolderList(const std::string& path);

}  // namespace rescuva::store
