#include "report/spreadsheet_cell.h"

#include <cstdint>

#include "report/report_text.h"

namespace rescuva::report {

std::string TextCell(const std::string& text) {
  // control characters other than line breaks become U+FFFD; line breaks stay in the
  // quoted cell
  std::string kept;
  size_t line = 0;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at < text.size() && text[at] != '\n') continue;
    std::string piece = text.substr(line, at - line);
    const bool cr = !piece.empty() && piece.back() == '\r';
    if (cr) piece.pop_back();
    kept += PlainText(piece);
    if (cr) kept += '\r';
    if (at < text.size()) kept += '\n';
    line = at + 1;
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
