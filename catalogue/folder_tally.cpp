#include "catalogue/folder_tally.h"

namespace rescuva::catalogue {

void FolderTally::Count(const CatalogueRow& row) {
  if (row.fragment) return;
  ++total_listed_;
  total_deleted_ += row.deleted;
  if (row.folder < 0 || static_cast<size_t>(row.folder) >= listed_.size()) return;
  ++listed_[static_cast<size_t>(row.folder)];
  deleted_[static_cast<size_t>(row.folder)] += row.deleted;
}

size_t FolderTally::Listed(int folder) const {
  if (folder < 0) return total_listed_;
  return static_cast<size_t>(folder) < listed_.size() ? listed_[static_cast<size_t>(folder)] : 0;
}

size_t FolderTally::Deleted(int folder) const {
  if (folder < 0) return total_deleted_;
  return static_cast<size_t>(folder) < deleted_.size() ? deleted_[static_cast<size_t>(folder)] : 0;
}

std::string FolderTally::CountText(const std::string& name, size_t listed) {
  return name + " (" + std::to_string(listed) + ")";
}

std::string FolderTally::DeletedText(size_t deleted) {
  return deleted == 0 ? "" : std::to_string(deleted) + " deleted";
}

}  // namespace rescuva::catalogue
