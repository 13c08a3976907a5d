// The report as a spreadsheet: one row per listed message with what the XML report
// says of it, UTF-8 with a byte-order mark so that spreadsheets read it as such.
#pragma once

#include <vector>

#include "report/report_file.h"
#include "report/report_input.h"

namespace rescuva::report {

void WriteCsv(const std::vector<ReportItem>& items, ReportFile& out);

}  // namespace rescuva::report
