#include "report/spreadsheet_cell.h"

#include <cstdint>

#include "report/report_text.h"

namespace rescuva::report {

std::string TextCell(const std::string& text) {
  // control characters other than tabs and line breaks become U+FFFD; those stay in
  // the quoted cell
  std::string kept;
  size_t from = 0;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at < text.size() && text[at] != '\t' && text[at] != '\r' && text[at] != '\n') continue;
    kept += PlainText(text.substr(from, at - from));
    if (at < text.size()) kept += text[at];
    from = at + 1;
  }
  std::string cell = "\"";
  const char first = kept.empty() ? '\0' : kept.front();
  if (first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' ||
      first == '\r') {
    cell += '\'';
  }
  for (char c : kept) {
    if (c == '"') cell += '"';
    cell += c;
  }
  return cell + "\"";
}

std::string NumberCell(uint64_t number) {
  return std::to_string(number);
}

}  // namespace rescuva::report
