// What an examiner's report is made of: the run that made it, the mail files it read
// with their digests, and every message it listed with where its bytes lay.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/message_catalogue.h"
#include "saving/message_saver.h"
#include "session/recovery_session.h"
#include "store/mail_store.h"

namespace rescuva::report {

struct ReportRun {
  std::string source;        // the file, store folder, image or device the user chose
  std::string command_line;  // how the program was started
  int64_t start_time = 0;    // seconds since 1970 UTC
  int64_t end_time = 0;
};

struct ReportInput {
  ReportRun run;
  const session::ScanOutcome* outcome = nullptr;
  const std::vector<catalogue::CatalogueRow>* rows = nullptr;
  const store::MailStore* store = nullptr;  // null for a single file
  std::vector<saving::SavedMessage> saved;  // where listed messages were saved
};

// One listed message as every part of the report names it.
struct ReportItem {
  size_t number = 0;  // 1, 2, ... in the order listed
  const catalogue::CatalogueRow* row = nullptr;
  std::string status;     // "existing", "deleted", "fragment" or "leftover copy"
  std::string folder;     // the store folder's path; empty for a single file
  std::string mail_file;  // the file it was read from; on a disk image, its path there
  // Of a mail file copied out of a disk image: where it lay; null otherwise.
  const store::FileOnDisk* on_disk = nullptr;
  std::string saved_as;             // where it was saved; empty when it was not
  std::optional<int64_t> date;      // its Date (else its record's sent time)
  std::optional<int64_t> received;  // its index record's received time
};

std::vector<ReportItem> ReportItems(const ReportInput& input);

// "allocated" or "deleted" for a mail file of a disk image; empty otherwise.
std::string FileState(const ReportItem& item);

// Its byte runs as text: "position+length@offset; ..."; its mends: "at+length kind; ...".
std::string RunsText(const engine::ChainTrace& trace);
std::string MendsText(const engine::ChainTrace& trace);

}  // namespace rescuva::report
