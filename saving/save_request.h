// What the save pages hand to the saving: the output form, which messages, and where.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <optional>

#include "engine/chain_reading.h"
#include "engine/folder_file_writer.h"

namespace rescuva::saving {

enum class SaveFormat { SaveAsDbx, SaveAsEml, SaveAsMbox };
enum class SaveScope { SaveSelected, SaveAll, SaveAllButDeleted, SaveAllButExisting };

struct SaveRequest {
  SaveFormat format = SaveFormat::SaveAsDbx;
  SaveScope scope = SaveScope::SaveSelected;
  // A folder for EML files; for one folder file or mbox file, the file itself.
  std::string destination;
  // The repair each message's text gets as it is extracted again.
  engine::Repair repair = engine::Repair::kNulOnly;
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
};

std::vector<SaveItem> ItemsInScope(const std::vector<SaveItem>& rows, SaveScope scope);
bool InScope(const SaveItem& item, SaveScope scope);

}  // namespace rescuva::saving
