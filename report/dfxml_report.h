// The report as Digital Forensics XML: the program and its run, each mail file read
// with its size and digests (and those an image stores), and one file object per
// listed message with its byte runs in the source, its digests, its status, whether
// it is whole, what was mended and where it was saved.
#pragma once

#include <vector>

#include "report/report_file.h"
#include "report/report_input.h"

namespace rescuva::report {

// The namespace of the elements DFXML has no name for.
inline constexpr const char* kReportNamespace = "urn:rescuva:report:1";

void WriteDfxml(const ReportInput& input, const std::vector<ReportItem>& items, ReportFile& out);

}  // namespace rescuva::report
