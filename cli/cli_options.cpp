#include "cli/cli_options.h"

namespace rescuva::cli {

const char* const kUsage =
    "usage: rescuva-cli [--json] [--save-eml DIR | --save-dbx FILE | --save-mbox FILE\n"
    "                   | --save-tree DIR | --save-attachments DIR]\n"
    "                   [--scope all|existing|deleted] [--keep-copies]\n"
    "                   [--fragments] [--repair] [--report DIR] [--since DAY]\n"
    "                   [--until DAY] [--match TEXT] [--csv FILE [--columns LIST]]\n"
    "                   [--name TEMPLATE] [--attachments-beside] [--tree-name NAME]\n"
    "                   [--as-extracted] [--timings] [--quiet] FILE|STORE\n"
    "       rescuva-cli --help | --version\n"
    "\n"
    "Lists the messages recovered from an Outlook Express folder file (.dbx, or .mbx\n"
    "of version 4), from every mail file of a store folder, or from a disk image (raw,\n"
    "in numbered segments .001, or EWF .E01) or block device, and optionally saves them.\n"
    "On an image with file systems, every store on them (deleted ones too) is listed\n"
    "under its volume and place, and the rest of the image is carved.\n"
    "A message whose chain breaks off is listed with what survives and marked cut.\n"
    "  --json         one JSON object per message instead of the table\n"
    "  --save-eml DIR one .eml file per message in the existing folder DIR, dated as\n"
    "                 the message; of a store, in a folder per store folder\n"
    "  --save-dbx FILE  one new folder file (FILE must not exist); of a store, FILE is\n"
    "                 an existing folder that gets a folder file per store folder\n"
    "  --save-mbox FILE one mbox file, mboxrd quoting (FILE must not exist)\n"
    "  --save-tree DIR  Thunderbird's local-folders layout in the existing folder DIR:\n"
    "                 one top-level folder holding the store's folders (an mbox file\n"
    "                 per folder, sub-folders in NAME.sbd); deleted mail mended and\n"
    "                 tagged \"Recovered\"\n"
    "  --tree-name NAME  the top-level folder of --save-tree (default Outlook Express)\n"
    "  --as-extracted with --save-tree, deleted mail as extracted, not mended\n"
    "  --save-attachments DIR  every attachment of the messages in the existing\n"
    "                 folder DIR, by its own name made safe, dated as its message\n"
    "  --attachments-beside  with --save-eml, each message's attachments in a folder\n"
    "                 beside its EML file, named as the file\n"
    "  --name TEMPLATE  the EML files' names, as '{date:%Y-%m-%d}_{from}_{subject}', and\n"
    "                 what saved attachments' names start with;\n"
    "                 fields date, from, to, subject, offset, folder, status,\n"
    "                 message-id; made safe on every file system, at most 200 bytes\n"
    "  --scope        which messages to save: all (default), existing or deleted\n"
    "  --keep-copies  with --scope deleted, also the deleted copies of messages that\n"
    "                 exist elsewhere in the store\n"
    "  --fragments    also list recovered text without sender, recipient and subject\n"
    "                 (status Fragment; saved with scope all)\n"
    "  --repair       mend deleted messages: mark the 4 bytes lost at each block, cut\n"
    "                 the padding after the end, restore the first header's name\n"
    "  --report DIR   an examiner's report in DIR (made when missing): report.dfxml,\n"
    "                 messages.csv, timeline.body and index.html, with the source's\n"
    "                 digests and where each message's bytes lie\n"
    "  --since DAY, --until DAY  only messages dated from / up to that day (2004-02-10,\n"
    "                 or 2004-02-10T19:26:59Z; the Date header, else the received time)\n"
    "  --match TEXT   only messages holding TEXT in From, To, Subject or their text\n"
    "                 (any case)\n"
    "  --csv FILE     a spreadsheet of the listed messages (FILE must not exist): UTF-8,\n"
    "                 quoted as RFC 4180 says, no cell a formula\n"
    "  --columns LIST its columns, of date,from,to,subject,size,attachments,status,\n"
    "                 folder,offset,message-id,sha256 (default: all, in this order)\n"
    "  --timings      the time of each stage on stderr\n"
    "  --quiet        no progress bar\n"
    "  --help         this text\n"
    "  --version      the version of rescuva-cli\n"
    "Exit status: 0 done, 1 the file cannot be opened or read, 2 bad usage,\n"
    "3 an output or a message could not be written, 130 interrupted.\n";

std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args,
                                           std::string& error) {
  CliOptions options;
  std::optional<saving::SaveScope> scope;
  bool columns_given = false;
  std::optional<saving::NameTemplate> name;
  std::optional<std::string> tree_name;
  bool as_extracted = false;
  bool beside = false;
  auto value_of = [&](size_t& i) -> std::optional<std::string> {
    if (i + 1 >= args.size()) {
      error = args[i] + " needs a value";
      return std::nullopt;
    }
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<saving::SaveFormat> format;
    if (arg == "--help" || arg == "--version") {
      (arg == "--help" ? options.help : options.version) = true;
      return options;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--timings") {
      options.timings = true;
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--fragments") {
      options.fragments = true;
    } else if (arg == "--repair") {
      options.repair = true;
    } else if (arg == "--keep-copies") {
      options.keep_copies = true;
    } else if (arg == "--attachments-beside") {
      beside = true;
    } else if (arg == "--as-extracted") {
      as_extracted = true;
    } else if (arg == "--tree-name") {
      tree_name = value_of(i);
      if (!tree_name) return std::nullopt;
      if (tree_name->empty()) {
        error = "--tree-name needs a name";
        return std::nullopt;
      }
    } else if (arg == "--save-tree") {
      format = saving::SaveFormat::SaveAsMboxTree;
    } else if (arg == "--save-eml") {
      format = saving::SaveFormat::SaveAsEml;
    } else if (arg == "--save-dbx") {
      format = saving::SaveFormat::SaveAsDbx;
    } else if (arg == "--save-mbox") {
      format = saving::SaveFormat::SaveAsMbox;
    } else if (arg == "--save-attachments") {
      format = saving::SaveFormat::SaveAsAttachments;
    } else if (arg == "--report") {
      auto value = value_of(i);
      if (!value) return std::nullopt;
      if (value->empty()) {
        error = "--report needs a folder";
        return std::nullopt;
      }
      options.report = *value;
    } else if (arg == "--since" || arg == "--until") {
      auto value = value_of(i);
      if (!value) return std::nullopt;
      const auto day = catalogue::ParseDay(*value, arg == "--until");
      if (!day) {
        error = arg + " needs a day as 2004-02-10 or 2004-02-10T19:26:59Z, not " + *value;
        return std::nullopt;
      }
      (arg == "--since" ? options.filter.since : options.filter.until) = day;
    } else if (arg == "--name") {
      auto value = value_of(i);
      if (!value) return std::nullopt;
      name = saving::NameTemplate::Parse(*value, error);
      if (!name) return std::nullopt;
    } else if (arg == "--csv") {
      auto value = value_of(i);
      if (!value) return std::nullopt;
      options.csv = *value;
    } else if (arg == "--columns") {
      auto value = value_of(i);
      if (!value) return std::nullopt;
      auto columns = report::ParseColumns(*value, error);
      if (!columns) return std::nullopt;
      options.columns = std::move(*columns);
      columns_given = true;
    } else if (arg == "--match") {
      auto value = value_of(i);
      if (!value) return std::nullopt;
      options.filter.match = *value;
    } else if (arg == "--scope") {
      auto value = value_of(i);
      if (!value) return std::nullopt;
      scope = saving::ScopeNamed(*value);
      if (!scope) {
        error = "unknown scope " + *value;
        return std::nullopt;
      }
    } else if (arg.starts_with("-") && arg != "-") {
      error = "unknown option " + arg;
      return std::nullopt;
    } else if (options.folder_file.empty()) {
      options.folder_file = arg;
    } else {
      error = "more than one folder file or store given";
      return std::nullopt;
    }
    if (format) {
      if (options.save) {
        error = "only one --save option may be given";
        return std::nullopt;
      }
      auto value = value_of(i);
      if (!value) return std::nullopt;
      options.save = saving::SaveRequest{*format, saving::SaveScope::SaveAll, *value};
    }
  }
  if (options.folder_file.empty()) {
    error = "no folder file or store given";
    return std::nullopt;
  }
  const auto format = options.save ? std::optional(options.save->format) : std::nullopt;
  if (name && format != saving::SaveFormat::SaveAsEml &&
      format != saving::SaveFormat::SaveAsAttachments) {
    error = "--name needs --save-eml or --save-attachments";
    return std::nullopt;
  }
  if (name) options.save->name = std::move(name);
  if (beside && format != saving::SaveFormat::SaveAsEml) {
    error = "--attachments-beside needs --save-eml";
    return std::nullopt;
  }
  if (beside) options.save->attachments_beside = true;
  if (columns_given && options.csv.empty()) {
    error = "--columns needs --csv";
    return std::nullopt;
  }
  if (scope && !options.save) {
    error = "--scope needs a --save option";
    return std::nullopt;
  }
  const bool tree = options.save && options.save->format == saving::SaveFormat::SaveAsMboxTree;
  if ((tree_name || as_extracted) && !tree) {
    error = std::string(tree_name ? "--tree-name" : "--as-extracted") + " needs --save-tree";
    return std::nullopt;
  }
  if (as_extracted && options.repair) {
    error = "--as-extracted and --repair cannot be given together";
    return std::nullopt;
  }
  if (tree) {
    options.save->tree_top = tree_name.value_or("Outlook Express");
    // deleted mail goes into the tree mended unless asked otherwise
    if (!as_extracted) options.save->repair = engine::Repair::kDeletedBlocks;
  }
  if (options.save && scope) options.save->scope = *scope;
  if (options.save && options.repair) options.save->repair = engine::Repair::kDeletedBlocks;
  if (options.save) options.save->keep_copies = options.keep_copies;
  return options;
}

}  // namespace rescuva::cli
