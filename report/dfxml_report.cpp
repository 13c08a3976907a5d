#include "report/dfxml_report.h"

#include <pwd.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <map>

#include "report/report_text.h"
#include "rescuva/version.h"

namespace rescuva::report {
namespace {

using session::ScannedFile;

std::string Element(const std::string& name, const std::string& text) {
  return "<" + name + ">" + MarkupText(text) + "</" + name + ">";
}

std::string Digests(const platform::DigestSet& digests, const std::string& indent) {
  if (digests.Empty()) return {};
  return indent + "<hashdigest type=\"md5\">" + digests.md5 + "</hashdigest>\n" + indent +
         "<hashdigest type=\"sha1\">" + digests.sha1 + "</hashdigest>\n" + indent +
         "<hashdigest type=\"sha256\">" + digests.sha256 + "</hashdigest>\n";
}

std::string WhyNotDigested(const ScannedFile& file) {
  switch (file.ending) {
    case engine::RunEnding::kStopped:
      return "not digested: the scan was stopped before the file was read to its end";
    case engine::RunEnding::kReadError:
      return "not digested: reading the file failed";
    case engine::RunEnding::kCannotOpen:
      return "not digested: the file could not be opened";
    case engine::RunEnding::kDone:
      break;
  }
  return "not digested";
}

void WriteCreator(const ReportRun& run, ReportFile& out) {
  utsname system{};
  ::uname(&system);
  const passwd* user = ::getpwuid(::getuid());
  out << "  <creator>\n    " << Element("program", "Rescuva for Outlook Express") << "\n    "
      << Element("version", kVersion) << "\n    <build_environment>\n      "
      << Element("compiler", std::string("GCC ") + __VERSION__)
      << "\n    </build_environment>\n    <execution_environment>\n      "
      << Element("os_sysname", system.sysname) << "\n      "
      << Element("os_release", system.release) << "\n      "
      << Element("os_version", system.version) << "\n      " << Element("host", system.nodename)
      << "\n      " << Element("arch", system.machine) << "\n      "
      << Element("command_line", run.command_line) << "\n      "
      << Element("uid", std::to_string(::getuid())) << "\n";
  if (user) out << "      " << Element("username", user->pw_name) << "\n";
  out << "      " << Element("start_time", IsoTime(run.start_time))
      << "\n    </execution_environment>\n  </creator>\n";
}

void WriteMessage(const ReportItem& item, ReportFile& out) {
  const catalogue::CatalogueRow& row = *item.row;
  out << "    <fileobject>\n";
  if (!item.saved_as.empty()) out << "      " << Element("filename", item.saved_as) << "\n";
  out << "      <id>" << std::to_string(item.number) << "</id>\n      <filesize>"
      << std::to_string(row.size) << "</filesize>\n      <alloc>" << (row.deleted ? "0" : "1")
      << "</alloc>\n";
  if (!row.trace.runs.empty()) {
    out << "      <byte_runs>\n";
    for (const engine::ByteRun& run : row.trace.runs) {
      out << "        <byte_run file_offset=\"" << std::to_string(run.message_offset)
          << "\" img_offset=\"" << std::to_string(run.position) << "\" len=\""
          << std::to_string(run.length) << "\"/>\n";
    }
    out << "      </byte_runs>\n";
  }
  out << Digests(row.digests, "      ");
  out << "      " << Element("r:status", item.status) << "\n      <r:complete>"
      << (row.Cut() ? "0" : "1") << "</r:complete>\n";
  if (row.Cut()) {
    out << "      <r:cut reason=\"" << MarkupText(engine::ChainEndText(row.end))
        << "\" last_block=\"" << std::to_string(row.stop) << "\"/>\n";
  }
  for (const engine::Mend& mend : row.trace.mends) {
    out << "      <r:mend at=\"" << std::to_string(mend.at) << "\" length=\""
        << std::to_string(mend.length) << "\" kind=\"" << MarkupText(engine::MendText(mend.kind))
        << "\"/>\n";
  }
  out << "      <r:first_block>" << std::to_string(row.offset) << "</r:first_block>\n";
  if (!item.folder.empty()) out << "      " << Element("r:folder", item.folder) << "\n";
  out << "      " << Element("r:mail_file", item.mail_file) << "\n";
  if (item.on_disk) {
    out << "      <r:file_state>" << FileState(item) << "</r:file_state>\n      <r:file_inode>"
        << std::to_string(item.on_disk->inode) << "</r:file_inode>\n";
  }
  if (!row.info.message_id.empty()) {
    out << "      " << Element("r:message_id", row.info.message_id) << "\n";
  }
  if (item.date) out << "      " << Element("r:date", IsoTime(item.date)) << "\n";
  if (item.received) out << "      " << Element("r:received", IsoTime(item.received)) << "\n";
  if (!row.from.empty()) out << "      " << Element("r:from", row.from) << "\n";
  if (!row.subject.empty()) out << "      " << Element("r:subject", row.subject) << "\n";
  out << "    </fileobject>\n";
}

// A source's own facts: the digests an image stores, its whole length as one run with
// the digests taken as it was read.
void WriteSourceRun(const ScannedFile& file, ReportFile& out) {
  if (!file.facts.stored.md5.empty()) {
    out << "    <r:stored_hashdigest type=\"md5\">" << MarkupText(file.facts.stored.md5)
        << "</r:stored_hashdigest>\n";
  }
  if (!file.facts.stored.sha1.empty()) {
    out << "    <r:stored_hashdigest type=\"sha1\">" << MarkupText(file.facts.stored.sha1)
        << "</r:stored_hashdigest>\n";
  }
  out << "    <byte_runs>\n      <byte_run img_offset=\"0\" len=\""
      << std::to_string(file.facts.length) << "\">\n"
      << Digests(file.facts.digests, "        ") << "      </byte_run>\n    </byte_runs>\n";
}

void WriteNotDigested(const ScannedFile* file, ReportFile& out) {
  if (!file) {
    out << "    <error>not digested: the scan did not name its files</error>\n";
  } else if (file->facts.digests.Empty()) {
    out << "    " << Element("error", WhyNotDigested(*file)) << "\n";
  }
}

// One disk image object a mail file: the file itself as one run with its digests,
// then its messages.
void WriteFile(const ScannedFile* file, const std::string& path,
               const std::vector<const ReportItem*>& items, ReportFile& out) {
  out << "  <diskimageobject>\n    " << Element("r:image_filename", path) << "\n";
  if (file) WriteSourceRun(*file, out);
  for (const ReportItem* item : items) WriteMessage(*item, out);
  WriteNotDigested(file, out);
  out << "  </diskimageobject>\n";
}

// A mail file copied out of a disk image, as the file it was there.
void WriteDiskFile(const ScannedFile& file, const store::FileOnDisk& on_disk, ReportFile& out) {
  out << "    <fileobject>\n      " << Element("filename", on_disk.path) << "\n      <filesize>"
      << std::to_string(file.facts.length) << "</filesize>\n      <alloc>"
      << (on_disk.deleted ? "0" : "1") << "</alloc>\n      <inode>" << std::to_string(on_disk.inode)
      << "</inode>\n      <byte_runs>\n";
  for (const store::FileExtent& extent : on_disk.extents) {
    out << "        <byte_run file_offset=\"" << std::to_string(extent.file_offset) << "\"";
    if (!extent.sparse) out << " img_offset=\"" << std::to_string(extent.image_offset) << "\"";
    out << " len=\"" << std::to_string(extent.length) << "\""
        << (extent.sparse ? " fill=\"0\"" : "") << "/>\n";
  }
  out << "      </byte_runs>\n"
      << Digests(file.facts.digests, "      ") << "      " << Element("r:volume", on_disk.volume)
      << "\n      <r:kind>mail file</r:kind>\n";
  if (on_disk.reallocated) out << "      <r:reallocated>1</r:reallocated>\n";
  out << "    </fileobject>\n";
}

// A disk image: one disk image object, the image, holding each mail file found on it
// with its messages, then the messages carved from the rest.
void WriteImage(const ReportInput& input, const ScannedFile& image,
                std::map<int, std::vector<const ReportItem*>>& by_folder, ReportFile& out) {
  out << "  <diskimageobject>\n    " << Element("r:image_filename", image.path) << "\n";
  WriteSourceRun(image, out);
  for (const ScannedFile& file : input.outcome->files) {
    if (file.folder < 0) continue;
    const auto& on_disk = input.store->folders[static_cast<size_t>(file.folder)].on_disk;
    if (!on_disk) continue;
    WriteDiskFile(file, *on_disk, out);
    for (const ReportItem* item : by_folder[file.folder]) WriteMessage(*item, out);
  }
  for (const ReportItem* item : by_folder[image.folder]) WriteMessage(*item, out);
  WriteNotDigested(&image, out);
  out << "  </diskimageobject>\n";
}

void WriteEnd(const ReportInput& input, ReportFile& out) {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) {
    return std::to_string(static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6);
  };
  out << "  <rusage>\n    <utime>" << seconds(usage.ru_utime) << "</utime>\n    <stime>"
      << seconds(usage.ru_stime) << "</stime>\n    <maxrss>" << std::to_string(usage.ru_maxrss)
      << "</maxrss>\n    <minflt>" << std::to_string(usage.ru_minflt) << "</minflt>\n    <majflt>"
      << std::to_string(usage.ru_majflt) << "</majflt>\n    <nswap>"
      << std::to_string(usage.ru_nswap) << "</nswap>\n    <inblock>"
      << std::to_string(usage.ru_inblock) << "</inblock>\n    <oublock>"
      << std::to_string(usage.ru_oublock) << "</oublock>\n    <clocktime>"
      << std::to_string(input.run.end_time - input.run.start_time) << "</clocktime>\n  </rusage>\n";
  const auto& counts = input.outcome->counts;
  out << "  " << Element("r:end_time", IsoTime(input.run.end_time)) << "\n  <r:counts listed=\""
      << std::to_string(counts.listed) << "\" existing=\"" << std::to_string(counts.existing)
      << "\" deleted=\"" << std::to_string(counts.deleted) << "\" fragments=\""
      << std::to_string(counts.fragments) << "\" cut=\"" << std::to_string(counts.cut)
      << "\" leftover_copies=\"" << std::to_string(input.outcome->copies) << "\"/>\n";
}

}  // namespace

void WriteDfxml(const ReportInput& input, const std::vector<ReportItem>& items, ReportFile& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<dfxml xmlns=\"http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:r=\""
      << kReportNamespace
      << "\" version=\"2.0.0-beta.0\">\n  <metadata>\n    <dc:type>Recovered Outlook Express "
         "messages</dc:type>\n  </metadata>\n";
  WriteCreator(input.run, out);
  const auto& files = input.outcome->files;
  // of a disk image, the image is the one source; its mail files' copies are no source
  const ScannedFile* image = nullptr;
  for (const ScannedFile& file : files) {
    if (input.store && file.folder >= 0 &&
        input.store->folders[static_cast<size_t>(file.folder)].carved) {
      image = &file;
    }
  }
  out << "  <source>\n";
  if (files.empty()) out << "    " << Element("image_filename", input.run.source) << "\n";
  for (const ScannedFile& file : files) {
    if (!image || &file == image) out << "    " << Element("image_filename", file.path) << "\n";
  }
  out << "  </source>\n";
  std::map<int, std::vector<const ReportItem*>> by_folder;
  for (const ReportItem& item : items) by_folder[item.row->folder].push_back(&item);
  if (image) {
    WriteImage(input, *image, by_folder, out);
  } else if (files.empty()) {
    std::vector<const ReportItem*> all;
    for (const ReportItem& item : items) all.push_back(&item);
    WriteFile(nullptr, input.run.source, all, out);
  } else {
    for (const ScannedFile& file : files) WriteFile(&file, file.path, by_folder[file.folder], out);
  }
  WriteEnd(input, out);
  out << "</dfxml>\n";
}

}  // namespace rescuva::report
