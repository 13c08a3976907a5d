// The report as a timeline in The Sleuth Kit's bodyfile format, which mactime and
// Plaso read: one line per message and time it holds (its Date, its received time),
// with all four times of the line set to that time, so that each line is one event.
#pragma once

#include <vector>

#include "report/report_file.h"
#include "report/report_input.h"

namespace rescuva::report {

void WriteTimeline(const std::vector<ReportItem>& items, ReportFile& out);

}  // namespace rescuva::report
