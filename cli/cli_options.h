// The command line of rescuva-cli.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/message_filter.h"
#include "report/chosen_columns.h"
#include "saving/save_request.h"

namespace rescuva::cli {

struct CliOptions {
  std::string folder_file;  // or a store's folder
  bool json = false;
  bool timings = false;
  bool quiet = false;
  bool fragments = false;    // --fragments: text without headers listed as "Fragment"
  bool repair = false;       // --repair: deleted messages' lost bytes mended
  bool keep_copies = false;  // --keep-copies: --scope deleted saves a store's copies too
  bool help = false;         // --help: the usage, nothing else
  bool version = false;      // --version: the version, nothing else
  std::optional<saving::SaveRequest> save;  // scope all when --scope is not given
  std::string report;                       // --report DIR: the examiner's report goes into DIR
  // --since, --until, --match: only these messages are listed, saved and reported
  catalogue::MessageFilter filter;
  std::string csv;  // --csv FILE: a spreadsheet of the listed messages
  std::vector<report::Column> columns = report::AllColumns();  // --columns
};

extern const char* const kUsage;

// Nothing (and `error` says why) for a command line that does not fit the usage.
std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args,
                                           std::string& error);

}  // namespace rescuva::cli
