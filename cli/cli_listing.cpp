#include "cli/cli_listing.h"

#include "cli/scan_rate.h"

#include <ctime>
#include <filesystem>
#include <vector>

#include "cli/json_text.h"
#include "cli/terminal_text.h"
#include "report/chosen_columns.h"
#include "report/report_text.h"

namespace rescuva::cli {
namespace {

constexpr int kBarWidth = 30;

// `text` on one line in `width` characters, control characters escaped: cut on a
// character boundary, or padded with blanks unless it is the last column.
std::string Cell(const std::string& raw, size_t width, bool pad = true) {
  const std::string text = EscapeControls(raw);
  std::string out;
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) != 0x80) {
      if (characters == width) break;
      ++characters;
    }
    out += static_cast<char>(c);
  }
  if (pad) out.append(width - characters, ' ');
  return out;
}

}  // namespace

std::string FlagsJson(const std::optional<engine::RecordFacts>& record) {
  constexpr std::pair<uint32_t, const char*> kNames[] = {{engine::kRecordRead, "read"},
                                                         {engine::kRecordAnswered, "answered"},
                                                         {engine::kRecordForwarded, "forwarded"},
                                                         {engine::kRecordFlagged, "flagged"}};
  std::string names;
  for (const auto& [bit, name] : kNames) {
    if (record && (record->flags & bit))
      names += (names.empty() ? "\"" : ", \"") + std::string(name) + "\"";
  }
  return "[" + names + "]";
}

std::string TraceJson(const engine::ChainTrace& trace) {
  std::string json = "\"positions\": [";
  for (size_t i = 0; i < trace.runs.size(); ++i) {
    const engine::ByteRun& run = trace.runs[i];
    json += (i ? ", " : "") + std::string("{\"at\": ") + std::to_string(run.position) +
            ", \"offset\": " + std::to_string(run.message_offset) +
            ", \"length\": " + std::to_string(run.length) + "}";
  }
  json += "]";
  if (trace.mends.empty()) return json;
  json += ", \"mends\": [";
  for (size_t i = 0; i < trace.mends.size(); ++i) {
    const engine::Mend& mend = trace.mends[i];
    json += (i ? ", " : "") + std::string("{\"at\": ") + std::to_string(mend.at) +
            ", \"length\": " + std::to_string(mend.length) +
            ", \"kind\": " + JsonString(engine::MendText(mend.kind)) + "}";
  }
  return json + "]";
}

CliListing::CliListing(const CliOptions& options, std::FILE* out, std::FILE* err, bool progress_bar)
    : options_(options), out_(out), err_(err), progress_bar_(progress_bar) {}

session::SessionEvents CliListing::Events() {
  session::SessionEvents events;
  events.status = [this](const std::string& text) { SetStatus(text); };
  events.progress = [this](int position) { SetProgress(position); };
  events.scanned = [this](const session::ScanBytes& bytes) {
    std::lock_guard lock(output_);
    if (scan_started_ == Clock::time_point{}) scan_started_ = Clock::now();
    const double seconds = std::chrono::duration<double>(Clock::now() - scan_started_).count();
    const std::string rate = ScanRateText(bytes.done, bytes.total, seconds);
    if (rate == rate_) return;
    rate_ = rate;
    DrawProgress();
  };
  events.listed = [this](const catalogue::CatalogueRow& row, std::span<const char> bytes) {
    List(row, bytes);
  };
  events.finished = [this](const session::ScanOutcome& outcome) { outcome_ = outcome; };
  return events;
}

void CliListing::SetStatus(const std::string& text) {
  std::lock_guard lock(output_);
  ended_ = Clock::now();
  status_ = text;
  DrawProgress();
}

void CliListing::SetProgress(int position) {
  std::lock_guard lock(output_);
  if (position == position_) return;
  position_ = position;
  DrawProgress();
}

void CliListing::DrawProgress() {
  if (!progress_bar_) return;
  const int filled = std::max(0, position_) * kBarWidth / 100;
  std::fprintf(err_, "\r\033[K[%s%s] %3d%% %s%s%s", std::string(filled, '#').c_str(),
               std::string(kBarWidth - filled, '.').c_str(), std::max(0, position_), rate_.c_str(),
               rate_.empty() ? "" : "  ", status_.c_str());
  std::fflush(err_);
}

void CliListing::ClearProgress() {
  if (progress_bar_) std::fprintf(err_, "\r\033[K");
}

void CliListing::List(const catalogue::CatalogueRow& row, std::span<const char> bytes) {
  if (options_.filter.Active()) {
    if (!options_.filter.Matches(row, bytes)) return;
    ++matched_;
  }
  {
    std::lock_guard lock(output_);
    ClearProgress();
    PrintRow(row, bytes);
    DrawProgress();
  }
  if (!options_.report.empty()) rows_.push_back(row);
  if (csv_ && csv_written_) {
    const std::string line = report::CsvLine(options_.columns, row, FolderText(row.folder));
    csv_written_ = csv_->Write({reinterpret_cast<const uint8_t*>(line.data()), line.size()});
  }
  if (saver_) {
    saving::SaveItem item = saving::ItemOf(row);
    const saving::SaveRequest& request = saver_->Request();
    if (saving::InScope(item, request.scope, request.keep_copies)) {
      // deleted mail is read again when the save mends it otherwise than the listing
      const engine::Repair listed =
          options_.repair ? engine::Repair::kDeletedBlocks : engine::Repair::kNulOnly;
      const bool again = item.deleted && request.repair != listed;
      to_save_.Push(
          {std::move(item),
           again ? std::vector<uint8_t>() : std::vector<uint8_t>(bytes.begin(), bytes.end()),
           again});
    }
  }
}

CliListing::~CliListing() {
  FinishSaving();
}

void CliListing::SetSaver(saving::MessageSaver* saver) {
  saver_ = saver;
  saving_ = std::thread([this] { SaveQueued(); });
}

void CliListing::SaveQueued() {
  for (auto batch = to_save_.PopAll(); !batch.empty(); batch = to_save_.PopAll()) {
    for (const Pending& pending : batch) {
      if (pending.extract_again) {
        saver_->SaveMended(pending.item);
      } else {
        saver_->Save(pending.item, pending.bytes, *pending.item.info);
      }
    }
  }
}

void CliListing::FinishSaving() {
  to_save_.Close();
  if (saving_.joinable()) saving_.join();
}

std::string CliListing::FolderText(int folder) const {
  if (!store_ || folder < 0) return "";
  return store_->PathText(static_cast<size_t>(folder));
}

void CliListing::PrintRow(const catalogue::CatalogueRow& row, std::span<const char> bytes) const {
  if (!options_.json) {
    std::string date = report::IsoTime(row.received_time);
    if (!date.empty()) date = date.substr(0, 10) + " " + date.substr(11, 5);
    const std::string folder = store_ ? Cell(FolderText(row.folder), 20) + "  " : "";
    const std::string cut = row.Cut() ? "  [" + row.CutText() + "]" : "";
    std::fprintf(out_, "%s %10s  %s  %s%s  %s%s\n", Cell(row.StatusText(), 8).c_str(),
                 row.OffsetText().c_str(), Cell(date, 16).c_str(), folder.c_str(),
                 Cell(row.from, 32).c_str(), Cell(row.subject, 60, false).c_str(), cut.c_str());
    return;
  }
  const uint64_t size = bytes.size();
  std::string attachments;
  for (const auto& name : row.attachment_names) {
    attachments += (attachments.empty() ? "" : ", ") + JsonString(name);
  }
  std::string copy_of;
  if (row.copy_of) {
    copy_of = ", \"copy_of\": {\"folder\": " + JsonString(FolderText(row.copy_of->folder)) +
              ", \"offset\": " + std::to_string(row.copy_of->offset) + "}";
  }
  // a whole message's line stays as it always was; a cut one says so
  std::string cut;
  if (row.Cut()) {
    cut = ", \"complete\": false, \"cut\": {\"reason\": " +
          JsonString(engine::ChainEndText(row.end)) +
          ", \"last_block\": " + std::to_string(row.stop) + "}";
  }
  const std::string file = std::filesystem::path(row.source).filename().string();
  std::fprintf(
      out_,
      "{\"offset\": %llu, \"status\": %s, \"from\": %s, \"to\": %s, \"subject\": %s, "
      "\"date\": %s, \"attachments\": [%s], \"size\": %llu, \"sha256\": \"%s\", "
      "\"md5\": \"%s\", \"sha1\": \"%s\", \"folder\": %s, \"file\": %s, "
      "\"flags\": %s, \"received\": %s, %s%s%s}\n",
      static_cast<unsigned long long>(row.offset), JsonString(row.StatusText()).c_str(),
      JsonString(row.from).c_str(), JsonString(row.to).c_str(), JsonString(row.subject).c_str(),
      JsonString(report::IsoTime(row.received_time)).c_str(), attachments.c_str(),
      static_cast<unsigned long long>(size), row.digests.sha256.c_str(), row.digests.md5.c_str(),
      row.digests.sha1.c_str(), JsonString(FolderText(row.folder)).c_str(),
      JsonString(file).c_str(), FlagsJson(row.record).c_str(),
      JsonString(report::IsoTime(row.record ? row.record->received_time : std::nullopt)).c_str(),
      TraceJson(row.trace).c_str(), copy_of.c_str(), cut.c_str());
}

void CliListing::PrintSummary() {
  ClearProgress();
  // JSON output stays one object per line; its summary goes to stderr
  std::FILE* to = options_.json ? err_ : out_;
  if (options_.json && options_.quiet) return;
  const auto& counts = outcome_.counts;
  if (store_) {
    std::fprintf(to, "%zu folders (%zu with a mail file), ", store_->folders.size(),
                 store_->MailFolders().size());
  }
  if (options_.fragments) {
    std::fprintf(to, "%zu messages (%zu existing, %zu deleted, %zu fragments)\n", counts.listed,
                 counts.existing, counts.deleted, counts.fragments);
  } else {
    std::fprintf(to, "%zu messages (%zu existing, %zu deleted)\n", counts.listed, counts.existing,
                 counts.deleted);
  }
  if (options_.filter.Active()) {
    std::fprintf(to, "%zu of them are dated and match as asked; only those are listed\n", matched_);
  }
  if (counts.cut > 0) {
    std::fprintf(to, "%zu of them are cut: their chains break off, and they hold what survives\n",
                 counts.cut);
  }
  if (store_ && outcome_.copies > 0) {
    std::fprintf(to, "%zu of the deleted messages are copies of messages that exist in the store\n",
                 outcome_.copies);
  }
}

void CliListing::PrintTimings() const {
  const auto& stages = outcome_.stage_seconds;
  std::fprintf(err_, "stage1 %.3f\nstage2 %.3f\nstage3 %.3f\ntotal %.3f\n", stages[0], stages[1],
               stages[2], std::chrono::duration<double>(ended_ - started_).count());
}

}  // namespace rescuva::cli
