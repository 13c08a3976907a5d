#include "report/csv_report.h"

#include "report/report_text.h"
#include "report/spreadsheet_cell.h"

namespace rescuva::report {

void WriteCsv(const std::vector<ReportItem>& items, ReportFile& out) {
  out << "\xEF\xBB\xBF"
         "number,status,complete,cut,folder,mail_file,first_block,size,date,received,from,to,"
         "subject,message_id,attachments,md5,sha1,sha256,byte_runs,mends,saved_as,file_state,"
         "inode\r\n";
  for (const ReportItem& item : items) {
    const catalogue::CatalogueRow& row = *item.row;
    std::string attachments;
    for (const std::string& name : row.attachment_names) {
      attachments += (attachments.empty() ? "" : "; ") + name;
    }
    const std::string cells[] = {NumberCell(item.number),
                                 TextCell(item.status),
                                 row.Cut() ? "0" : "1",
                                 TextCell(row.CutReason()),
                                 TextCell(item.folder),
                                 TextCell(item.mail_file),
                                 NumberCell(row.offset),
                                 NumberCell(row.size),
                                 TextCell(IsoTime(item.date)),
                                 TextCell(IsoTime(item.received)),
                                 TextCell(row.from),
                                 TextCell(row.to),
                                 TextCell(row.subject),
                                 TextCell(row.info.message_id),
                                 TextCell(attachments),
                                 TextCell(row.digests.md5),
                                 TextCell(row.digests.sha1),
                                 TextCell(row.digests.sha256),
                                 TextCell(RunsText(row.trace)),
                                 TextCell(MendsText(row.trace)),
                                 TextCell(item.saved_as),
                                 TextCell(FileState(item)),
                                 item.on_disk ? NumberCell(item.on_disk->inode) : ""};
    bool first = true;
    for (const std::string& cell : cells) {
      if (!first) out << ",";
      out << cell;
      first = false;
    }
    out << "\r\n";
  }
}

}  // namespace rescuva::report
