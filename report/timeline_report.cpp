#include "report/timeline_report.h"

#include "report/report_text.h"

namespace rescuva::report {
namespace {

// The name field may not hold the field separator.
std::string NameField(const ReportItem& item, const char* kind) {
  const catalogue::CatalogueRow& row = *item.row;
  std::string name = item.folder.empty() ? std::string() : item.folder + "/";
  name += row.subject.empty() ? "(no subject)" : row.subject;
  name += " (message " + std::to_string(item.number) + ", first block " +
          std::to_string(row.offset) + ", " + kind + ")";
  if (row.deleted) name += " (deleted)";
  std::string field;
  for (char c : PlainText(name)) field += c == '|' ? std::string("\xC2\xA6") : std::string(1, c);
  return field;
}

}  // namespace

void WriteTimeline(const std::vector<ReportItem>& items, ReportFile& out) {
  for (const ReportItem& item : items) {
    const catalogue::CatalogueRow& row = *item.row;
    const std::string md5 = row.digests.md5.empty() ? "0" : row.digests.md5;
    for (const auto& [time, kind] :
         {std::pair(item.date, "Date"), std::pair(item.received, "received")}) {
      if (!time) continue;
      const std::string t = std::to_string(*time);
      out << md5 << "|" << NameField(item, kind) << "|" << std::to_string(item.number)
          << "|r/rr--r--r--|0|0|" << std::to_string(row.size) << "|" << t << "|" << t << "|" << t
          << "|" << t << "\n";
    }
  }
}

}  // namespace rescuva::report
