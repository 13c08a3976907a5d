// Writes an examiner's report into a folder: report.dfxml, messages.csv,
// timeline.body and index.html. The folder is made when missing; files already there
// are never replaced.
#pragma once

#include <string>
#include <vector>

#include "report/report_input.h"

namespace rescuva::report {

struct ReportOutcome {
  std::vector<std::string> written;  // paths of the files written whole
  std::string error;                 // empty when every file was written
  bool Ok() const { return error.empty(); }
};

inline constexpr const char* kReportFiles[] = {"report.dfxml", "messages.csv", "timeline.body",
                                               "index.html"};

// Makes the folder when missing; the reason when no report can be written there (it
// cannot be made, or holds a report already), else empty. Asked before a long scan.
std::string PrepareReportFolder(const std::string& folder);

ReportOutcome WriteReport(const ReportInput& input, const std::string& folder);

}  // namespace rescuva::report
