// The messages listed in each folder of a store, as the folder tree shows them: a
// folder's own messages and how many of them are deleted, and the totals of the store.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/message_catalogue.h"

namespace rescuva::catalogue {

class FolderTally {
 public:
  explicit FolderTally(size_t folders = 0) : listed_(folders), deleted_(folders) {}

  // Fragments belong to no folder's mail and are not counted.
  void Count(const CatalogueRow& row);
  // Folder -1: the whole store.
  size_t Listed(int folder) const;
  size_t Deleted(int folder) const;

  // "Inbox (12)": a name and its count.
  static std::string CountText(const std::string& name, size_t listed);
  // "3 deleted", or "" when there are none.
  static std::string DeletedText(size_t deleted);

 private:
  std::vector<size_t> listed_;
  std::vector<size_t> deleted_;
  size_t total_listed_ = 0;
  size_t total_deleted_ = 0;
};

}  // namespace rescuva::catalogue
