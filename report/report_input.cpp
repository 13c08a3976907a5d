#include "report/report_input.h"

#include <map>
#include <utility>

namespace rescuva::report {
namespace {

std::string StatusWord(const catalogue::CatalogueRow& row) {
  if (row.fragment) return "fragment";
  if (row.copy_of) return "leftover copy";
  return row.deleted ? "deleted" : "existing";
}

}  // namespace

std::vector<ReportItem> ReportItems(const ReportInput& input) {
  std::map<std::pair<int, uint64_t>, std::string> saved;
  for (const saving::SavedMessage& message : input.saved) {
    saved.emplace(std::pair(message.folder, message.offset), message.path);
  }
  std::vector<ReportItem> items;
  items.reserve(input.rows->size());
  for (const catalogue::CatalogueRow& row : *input.rows) {
    ReportItem item;
    item.number = row.sequence ? row.sequence : items.size() + 1;
    item.row = &row;
    item.status = StatusWord(row);
    if (input.store && row.folder >= 0 &&
        static_cast<size_t>(row.folder) < input.store->folders.size()) {
      item.folder = input.store->PathText(static_cast<size_t>(row.folder));
      const auto& on_disk = input.store->folders[static_cast<size_t>(row.folder)].on_disk;
      if (on_disk) item.on_disk = &*on_disk;
    }
    item.mail_file = item.on_disk ? item.on_disk->volume + ":" + item.on_disk->path : row.source;
    if (auto it = saved.find({row.folder, row.offset}); it != saved.end())
      item.saved_as = it->second;
    item.date = row.info.sent_time;
    if (row.record) item.received = row.record->received_time;
    items.push_back(std::move(item));
  }
  return items;
}

std::string FileState(const ReportItem& item) {
  if (!item.on_disk) return {};
  return item.on_disk->deleted ? "deleted" : "allocated";
}

std::string RunsText(const engine::ChainTrace& trace) {
  std::string text;
  for (const engine::ByteRun& run : trace.runs) {
    if (!text.empty()) text += "; ";
    text += std::to_string(run.position) + "+" + std::to_string(run.length) + "@" +
            std::to_string(run.message_offset);
  }
  return text;
}

std::string MendsText(const engine::ChainTrace& trace) {
  std::string text;
  for (const engine::Mend& mend : trace.mends) {
    if (!text.empty()) text += "; ";
    text += std::to_string(mend.at) + "+" + std::to_string(mend.length) + " " +
            engine::MendText(mend.kind);
  }
  return text;
}

}  // namespace rescuva::report
