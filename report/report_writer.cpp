#include "report/report_writer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "platform/output_folder.h"
#include "report/csv_report.h"
#include "report/dfxml_report.h"
#include "report/html_report.h"
#include "report/report_file.h"
#include "report/timeline_report.h"

namespace rescuva::report {

std::string PrepareReportFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    return "cannot make the report folder " + folder + ": " + std::strerror(errno);
  }
  platform::OutputFolder out_folder;
  if (!out_folder.Open(folder)) return out_folder.Error();
  for (const char* name : kReportFiles) {
    struct stat status {};
    if (::fstatat(out_folder.Fd(), name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
      return out_folder.Path() + "/" + name + " exists already; a report is never written over";
    }
  }
  return {};
}

ReportOutcome WriteReport(const ReportInput& input, const std::string& folder) {
  ReportOutcome outcome;
  outcome.error = PrepareReportFolder(folder);
  if (!outcome.Ok()) return outcome;
  platform::OutputFolder out_folder;
  if (!out_folder.Open(folder)) {
    outcome.error = out_folder.Error();
    return outcome;
  }
  const std::vector<ReportItem> items = ReportItems(input);
  const std::function<void(ReportFile&)> writers[] = {
      [&](ReportFile& out) { WriteDfxml(input, items, out); },
      [&](ReportFile& out) { WriteCsv(items, out); },
      [&](ReportFile& out) { WriteTimeline(items, out); },
      [&](ReportFile& out) { WriteHtml(input, items, folder, out); }};
  for (size_t i = 0; i < std::size(kReportFiles); ++i) {
    const std::string path = out_folder.Path() + "/" + kReportFiles[i];
    platform::OutputFile file;
    if (!file.CreateIn(out_folder.Fd(), kReportFiles[i], true)) {
      outcome.error = "cannot create " + path + ": " + file.Error();
      return outcome;
    }
    ReportFile out(file);
    writers[i](out);
    const bool written = out.Flush();
    if (!file.Close() || !written) {
      outcome.error = "cannot write " + path + ": " + file.Error();
      return outcome;
    }
    outcome.written.push_back(path);
  }
  return outcome;
}

}  // namespace rescuva::report
