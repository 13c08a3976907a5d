// Crafted stores for the tests: a folder list (Folders.dbx) with chosen records, mail
// files from made-up messages, and the files of an Outlook Express 4 store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/folder_generator.h"
#include "engine/folder_list_writer.h"

namespace rescuva::testing {

// One folder record below "Local Folders" (id 1); `name` and `file` are stored as given
// (in the ANSI code page).
using FolderSpec = engine::FolderListEntry;

// Folders.dbx with the tree's root, "Local Folders" and `folders`, in id order.
void WriteFolderList(const std::string& path, std::vector<FolderSpec> folders);

// A message for a mail file: existing ones get an index record with `flags` and
// `received` (seconds since 1970); deleted ones are left as Outlook Express frees them.
bench::GeneratedMessage StoreMail(const std::string& subject, const std::string& message_id,
                                  bool deleted = false, uint32_t flags = 0x81,
                                  int64_t received = 1076441219);

// A mail file holding `messages`; with `folder_name`, it carries a file-info block
// naming it so.
void WriteMailFile(const std::string& path, const std::vector<bench::GeneratedMessage>& messages,
                   const std::string& folder_name = "");

// A store in `folder` whose folder list nests `depth` folders "level" one in another,
// the deepest holding the only message ("at the bottom", in Deep.dbx), with `wide`
// more folders "wide" beside the second level.
void WriteDeepStore(const std::string& folder, uint32_t depth, uint32_t wide = 0);

// An Outlook Express 4 folder: `stem`.mbx with the messages, `stem`.idx naming those
// `indexed` says, marked deleted as `deleted` says.
struct Oe4Message {
  std::string text;
  bool indexed = true;
  bool deleted = false;
};
void WriteOe4Folder(const std::string& folder, const std::string& stem,
                    const std::vector<Oe4Message>& messages);
// folders.nch: each entry's name, .mbx file name and parent (an index into the entries,
// -1 for none).
struct Oe4FolderSpec {
  std::string name;
  std::string file;
  int parent = -1;
};
void WriteOe4FolderList(const std::string& path, const std::vector<Oe4FolderSpec>& folders);

}  // namespace rescuva::testing
