#include "saving/save_request.h"

namespace rescuva::saving {

SaveItem ItemOf(const catalogue::CatalogueRow& row) {
  return {row.offset,   row.deleted, false,      row.subject,
          row.fragment, row.info,    row.folder, row.copy_of.has_value(),
          row.CutText()};
}

bool InScope(const SaveItem& item, SaveScope scope, bool keep_copies) {
  switch (scope) {
    case SaveScope::SaveSelected:
      return item.selected;
    case SaveScope::SaveAll:
      return true;
    case SaveScope::SaveAllButDeleted:
      return !item.deleted && !item.fragment;
    case SaveScope::SaveAllButExisting:
      return item.deleted && !item.fragment && (keep_copies || !item.copy);
  }
  return false;
}

std::vector<SaveItem> ItemsInScope(const std::vector<SaveItem>& rows, SaveScope scope,
                                   bool keep_copies) {
  std::vector<SaveItem> items;
  for (const SaveItem& row : rows) {
    if (InScope(row, scope, keep_copies)) items.push_back(row);
  }
  return items;
}

std::optional<SaveScope> ScopeNamed(const std::string& word) {
  if (word == "all") return SaveScope::SaveAll;
  if (word == "existing") return SaveScope::SaveAllButDeleted;
  if (word == "deleted") return SaveScope::SaveAllButExisting;
  return std::nullopt;
}

}  // namespace rescuva::saving
