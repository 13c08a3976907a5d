// What the save pages hand to the saving: the output form, which messages, and where.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/message_catalogue.h"
#include "engine/chain_reading.h"
#include "engine/folder_file_writer.h"
#include "saving/name_template.h"
#include "saving/page_printer.h"

namespace rescuva::saving {

// SaveAsMboxTree: the local-folders layout of Thunderbird, one mbox file a folder.
// SaveAsAttachments: every attachment of the messages, all in one folder.
// SaveAsPdf: each message printed as the preview shows it.
// SaveAsCsv: the listing of the messages as a spreadsheet, without the messages.
enum class SaveFormat {
  SaveAsDbx,
  SaveAsEml,
  SaveAsMbox,
  SaveAsMboxTree,
  SaveAsAttachments,
  SaveAsPdf,
  SaveAsCsv
};
enum class SaveScope { SaveSelected, SaveAll, SaveAllButDeleted, SaveAllButExisting };

// A store folder as a save names it: its name and its parent's index (-1 at the top).
struct SaveFolder {
  std::string name;
  int parent = -1;
  int special = 0;  // 1 Inbox, 2 Outbox, 3 Sent Items, 4 Deleted Items, 5 Drafts
};

struct SaveRequest {
  SaveFormat format = SaveFormat::SaveAsDbx;
  SaveScope scope = SaveScope::SaveSelected;
  // A folder for EML files; for one folder file or mbox file, the file itself.
  std::string destination;
  // The repair each message's text gets as it is extracted again.
  engine::Repair repair = engine::Repair::kNulOnly;
  // A store's folders by index, parents before children: the EML, DBX and mbox-tree
  // outputs are then a tree of them in the folder `destination`.
  std::vector<SaveFolder> folders;
  std::string folder_name;  // the name a single folder file's file-info block gives
  // Deleted copies of existing messages are saved with the deleted ones.
  bool keep_copies = true;
  // The EML files' names; "Subject_offset" without one. Attachments saved alone are
  // named after it too.
  std::optional<NameTemplate> name;
  // Each EML file's attachments in a folder beside it, named as the file.
  bool attachments_beside = false;
  // PDF: all messages in the one file `destination` rather than a file each in the
  // folder `destination`, printed by `printer`.
  bool one_pdf = false;
  std::shared_ptr<PagePrinter> printer;
  // The mbox tree's one top-level folder, which every folder goes under, so that the
  // tree copied into a mail program's local folders adds one folder and replaces none;
  // empty: the folders at the top of the store are at the top of the tree.
  std::string tree_top;
};

// One listed message as the saving needs it: its row's offset and kind, whether the
// row is selected, its subject for naming files, whether it is a fragment, and what
// its record takes.
struct SaveItem {
  uint64_t offset = 0;
  bool deleted = false;
  bool selected = false;
  std::string subject;
  bool fragment = false;  // saved with every message or when selected, never by kind
  // What the listing read of the message for its record; read again when absent.
  std::optional<engine::MessageInfo> info;
  int folder = -1;    // the store folder it came from; -1 for a single file
  bool copy = false;  // a deleted copy of a message that exists in the store
  std::string cut;    // why the message is cut, as the list says; empty when whole
};

// A message that could not be saved, and why.
struct SaveFailure {
  uint64_t offset = 0;
  std::string subject;
  std::string reason;
};

// A row of the listing as the saving takes it, not selected.
SaveItem ItemOf(const catalogue::CatalogueRow& row);

std::vector<SaveItem> ItemsInScope(const std::vector<SaveItem>& rows, SaveScope scope,
                                   bool keep_copies = true);
bool InScope(const SaveItem& item, SaveScope scope, bool keep_copies = true);
// The scope a command line names: "all", "existing" or "deleted"; nothing for another word.
std::optional<SaveScope> ScopeNamed(const std::string& word);

}  // namespace rescuva::saving
