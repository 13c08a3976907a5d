#include "report/chosen_columns.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>

#include "platform/scratch_files.h"
#include "report/report_text.h"
#include "report/spreadsheet_cell.h"

namespace rescuva::report {
namespace {

constexpr std::array<std::pair<Column, const char*>, 11> kNames = {{
    {Column::kDate, "date"},
    {Column::kFrom, "from"},
    {Column::kTo, "to"},
    {Column::kSubject, "subject"},
    {Column::kSize, "size"},
    {Column::kAttachments, "attachments"},
    {Column::kStatus, "status"},
    {Column::kFolder, "folder"},
    {Column::kOffset, "offset"},
    {Column::kMessageId, "message-id"},
    {Column::kSha256, "sha256"},
}};

std::string Cell(Column column, const catalogue::CatalogueRow& row, const std::string& folder) {
  switch (column) {
    case Column::kDate:
      return TextCell(IsoTime(row.info.sent_time ? row.info.sent_time : row.info.received_time));
    case Column::kFrom:
      return TextCell(row.from);
    case Column::kTo:
      return TextCell(row.to);
    case Column::kSubject:
      return TextCell(row.subject);
    case Column::kSize:
      return NumberCell(row.size);
    case Column::kAttachments: {
      std::string names;
      for (const std::string& name : row.attachment_names)
        names += (names.empty() ? "" : "; ") + name;
      return TextCell(names);
    }
    case Column::kStatus:
      return TextCell(row.StatusText());
    case Column::kFolder:
      return TextCell(folder);
    case Column::kOffset:
      return NumberCell(row.offset);
    case Column::kMessageId:
      return TextCell(row.info.message_id);
    case Column::kSha256:
      return TextCell(row.digests.sha256);
  }
  return "";
}

}  // namespace

std::vector<Column> AllColumns() {
  std::vector<Column> columns;
  for (const auto& [column, name] : kNames) columns.push_back(column);
  return columns;
}

std::optional<std::vector<Column>> ParseColumns(const std::string& text, std::string& error) {
  std::vector<Column> columns;
  size_t from = 0;
  while (from <= text.size()) {
    const size_t comma = std::min(text.find(',', from), text.size());
    const std::string name = text.substr(from, comma - from);
    const auto it = std::find_if(kNames.begin(), kNames.end(),
                                 [&](const auto& entry) { return name == entry.second; });
    if (it == kNames.end()) {
      error = "unknown column \"" + name + "\"";
      return std::nullopt;
    }
    columns.push_back(it->first);
    from = comma + 1;
  }
  return columns;
}

std::string CsvHeader(const std::vector<Column>& columns) {
  std::string line = "\xEF\xBB\xBF";
  for (size_t i = 0; i < columns.size(); ++i) {
    for (const auto& [column, name] : kNames) {
      if (column == columns[i]) line += (i ? "," : "") + std::string(name);
    }
  }
  return line + "\r\n";
}

std::string CsvLine(const std::vector<Column>& columns, const catalogue::CatalogueRow& row,
                    const std::string& folder) {
  std::string line;
  for (size_t i = 0; i < columns.size(); ++i)
    line += (i ? "," : "") + Cell(columns[i], row, folder);
  return line + "\r\n";
}

std::string WriteCsvFile(const std::string& path, const std::vector<Column>& columns,
                         const std::vector<const catalogue::CatalogueRow*>& rows,
                         const std::function<std::string(int folder)>& folder_of) {
  platform::OutputFile file;
  std::string text = CsvHeader(columns);
  const bool created = file.Create(path, true);
  bool written = created;
  for (size_t i = 0; written && i <= rows.size(); ++i) {
    // written in pieces of about a megabyte
    if (i < rows.size()) text += CsvLine(columns, *rows[i], folder_of(rows[i]->folder));
    if (text.size() < (1u << 20) && i < rows.size()) continue;
    written = file.Write({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    text.clear();
  }
  written = file.Close() && written;
  if (written) return {};
  const std::string why = "cannot write " + path + ": " + file.Error();
  if (created) ::unlink(path.c_str());
  return why;
}

}  // namespace rescuva::report
