#include "report/html_report.h"

#include <cctype>
#include <filesystem>

#include "report/report_text.h"
#include "rescuva/version.h"

namespace rescuva::report {
namespace {

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "h1{font-size:1.4em}h2{font-size:1.1em;margin-top:1.5em}"
    "table{border-collapse:collapse;font-size:.9em}"
    "th,td{border:1px solid #ccc;padding:.25em .5em;text-align:left;vertical-align:top}"
    "th{background:#eef}td.hash{font-family:monospace;font-size:.85em}td.date{white-space:nowrap}"
    "tr.deleted td{color:#7a3b00}tr.cut td{font-style:italic}";

std::string Row(const std::string& name, const std::string& value) {
  return "<tr><th>" + MarkupText(name) + "</th><td>" + MarkupText(value) + "</td></tr>\n";
}

std::string HashRow(const std::string& name, const std::string& value) {
  return "<tr><th>" + MarkupText(name) + "</th><td class=\"hash\">" + MarkupText(value) +
         "</td></tr>\n";
}

void WriteSources(const ReportInput& input, ReportFile& out) {
  out << "<h2>Source</h2>\n<table>\n" << Row("Chosen", input.run.source);
  for (const session::ScannedFile& file : input.outcome->files) {
    out << Row("File", file.path) << Row("Size", std::to_string(file.facts.length) + " bytes");
    if (file.facts.digests.Empty()) {
      out << Row("Digests", "not taken: the file was not read to its end");
    } else {
      out << HashRow("MD5", file.facts.digests.md5) << HashRow("SHA-1", file.facts.digests.sha1)
          << HashRow("SHA-256", file.facts.digests.sha256);
    }
    if (!file.facts.stored.md5.empty())
      out << HashRow("MD5 stored in the image", file.facts.stored.md5);
    if (!file.facts.stored.sha1.empty()) {
      out << HashRow("SHA-1 stored in the image", file.facts.stored.sha1);
    }
  }
  out << "</table>\n";
}

void WriteRun(const ReportInput& input, ReportFile& out) {
  const auto& counts = input.outcome->counts;
  out << "<h2>Run</h2>\n<table>\n"
      << Row("Program", std::string("Rescuva for Outlook Express ") + kVersion)
      << Row("Command line", input.run.command_line)
      << Row("Started", IsoTime(input.run.start_time)) << Row("Ended", IsoTime(input.run.end_time))
      << "</table>\n<h2>Counts</h2>\n<table>\n"
      << Row("Messages listed", std::to_string(counts.listed))
      << Row("Existing", std::to_string(counts.existing))
      << Row("Deleted", std::to_string(counts.deleted))
      << Row("Fragments", std::to_string(counts.fragments))
      << Row("Cut", std::to_string(counts.cut))
      << Row("Leftover copies", std::to_string(input.outcome->copies)) << "</table>\n";
}

}  // namespace

std::string LinkTo(const std::string& path, const std::string& from_folder) {
  std::error_code error;
  const std::filesystem::path relative =
      std::filesystem::proximate(path, std::filesystem::absolute(from_folder, error), error);
  const std::string text = error ? path : relative.generic_string();
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string link;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      link += static_cast<char>(c);
    } else {
      link += '%';
      link += kHex[c >> 4];
      link += kHex[c & 15];
    }
  }
  return link;
}

void WriteHtml(const ReportInput& input, const std::vector<ReportItem>& items,
               const std::string& folder, ReportFile& out) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
         "style-src 'unsafe-inline'\">\n<title>Recovered messages: "
      << MarkupText(input.run.source) << "</title>\n<style>" << kStyle
      << "</style>\n</head>\n<body>\n<h1>Recovered messages</h1>\n";
  WriteSources(input, out);
  WriteRun(input, out);
  out << "<h2>Messages</h2>\n<table>\n<tr><th>#</th><th>Status</th><th>Cut</th><th>Date</th>"
         "<th>From</th><th>Subject</th><th>Folder</th><th>Saved as</th></tr>\n";
  for (const ReportItem& item : items) {
    const catalogue::CatalogueRow& row = *item.row;
    std::string classes = row.deleted ? "deleted" : "";
    if (row.Cut()) classes += classes.empty() ? "cut" : " cut";
    out << "<tr" << (classes.empty() ? "" : " class=\"" + classes + "\"") << "><td>"
        << std::to_string(item.number) << "</td><td>" << MarkupText(item.status) << "</td><td>"
        << MarkupText(row.CutReason()) << "</td><td class=\"date\">"
        << MarkupText(IsoTime(item.date)) << "</td><td>" << MarkupText(row.from) << "</td><td>"
        << MarkupText(row.subject) << "</td><td>" << MarkupText(item.folder) << "</td><td>";
    if (!item.saved_as.empty()) {
      out << "<a href=\"" << LinkTo(item.saved_as, folder) << "\">"
          << MarkupText(std::filesystem::path(item.saved_as).filename().string()) << "</a>";
    }
    out << "</td></tr>\n";
  }
  out << "</table>\n</body>\n</html>\n";
}

}  // namespace rescuva::report
