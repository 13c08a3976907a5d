// A spreadsheet of the listed messages with the columns a user picks, in the order
// given: UTF-8 with a byte-order mark, quoted as RFC 4180 says, no cell a formula.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/message_catalogue.h"

namespace rescuva::report {

enum class Column {
  kDate,
  kFrom,
  kTo,
  kSubject,
  kSize,
  kAttachments,
  kStatus,
  kFolder,
  kOffset,
  kMessageId,
  kSha256
};

// Every column, in the default order.
std::vector<Column> AllColumns();
// "date,from,subject"; nothing (and `error` names the column) for an unknown one.
std::optional<std::vector<Column>> ParseColumns(const std::string& text, std::string& error);

// The byte-order mark and the header line, CRLF-ended.
std::string CsvHeader(const std::vector<Column>& columns);
// One message's line; `folder` is its store folder's path.
std::string CsvLine(const std::vector<Column>& columns, const catalogue::CatalogueRow& row,
                    const std::string& folder);

// The header and a line for each row, as the new file `path` (never over another
// file); why it could not be written whole, or empty. `folder_of` gives the path of a
// row's store folder.
std::string WriteCsvFile(const std::string& path, const std::vector<Column>& columns,
                         const std::vector<const catalogue::CatalogueRow*>& rows,
                         const std::function<std::string(int folder)>& folder_of);

}  // namespace rescuva::report
