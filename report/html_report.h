// The report as a page a person reads: the source and its digests, the run, the
// counts and a table of the messages linking the saved files. Every recovered text is
// escaped; the page runs no script and loads nothing (its policy forbids both).
#pragma once

#include <string>
#include <vector>

#include "report/report_file.h"
#include "report/report_input.h"

namespace rescuva::report {

// `folder` is where the page is written: links to saved files are relative to it.
void WriteHtml(const ReportInput& input, const std::vector<ReportItem>& items,
               const std::string& folder, ReportFile& out);

// A path as a relative link: every byte but letters, digits, "-._~/" percent-encoded.
std::string LinkTo(const std::string& path, const std::string& from_folder);

}  // namespace rescuva::report
