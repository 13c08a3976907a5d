#include "engine/oe4_mailbox.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>

#include "engine/byte_order.h"
#include "engine/source_digester.h"
#include "engine/windows_1252.h"
#include "platform/scratch_files.h"

namespace rescuva::engine {
namespace {

constexpr uint8_t kMailboxMagic[] = {'J', 'M', 'F', '6'};
constexpr uint8_t kIndexMagic[] = {'J', 'M', 'F', '9'};
constexpr uint8_t kMarker[] = {0x7F, 0x00, 0x7F, 0x00};
constexpr uint32_t kMailboxHeaderSize = 0x54;
constexpr uint32_t kIndexHeaderSize = 0x50;
constexpr uint32_t kMbxRecordHeaderSize = 16;
constexpr uint32_t kIndexEntrySize = 20;
constexpr size_t kScanWindow = 1 << 20;

}  // namespace

bool Oe4Mailbox::IsMailbox(const platform::SourceFile& file) {
  std::array<uint8_t, 4> magic{};
  return file.ReadAt(0, magic) && std::equal(magic.begin(), magic.end(), kMailboxMagic);
}

std::string Oe4Mailbox::IndexPathOf(const std::string& mbx_path) {
  namespace fs = std::filesystem;
  const fs::path mbx(mbx_path);
  const std::string wanted = AsciiLower(mbx.stem().string() + ".idx");
  std::error_code ec;
  for (const auto& entry :
       fs::directory_iterator(mbx.parent_path().empty() ? "." : mbx.parent_path(), ec)) {
    if (AsciiLower(entry.path().filename().string()) == wanted) return entry.path().string();
  }
  return "";
}

std::optional<uint32_t> Oe4Mailbox::RecordAt(uint64_t offset) const {
  std::array<uint8_t, kMbxRecordHeaderSize> header{};
  if (offset < kMailboxHeaderSize || offset + kMbxRecordHeaderSize > mbx_.Length() ||
      !mbx_.ReadAt(offset, header) || !std::equal(kMarker, kMarker + 4, header.begin())) {
    return std::nullopt;
  }
  const uint64_t text_size = LoadLe32(&header[12]);
  if (text_size == 0 || offset + kMbxRecordHeaderSize + text_size > mbx_.Length())
    return std::nullopt;
  return static_cast<uint32_t>(text_size);
}

// An index that is there but cannot be read is said: without it every message reads as
// one the index does not name.
std::vector<Oe4Mailbox::IndexEntry> Oe4Mailbox::ReadIndex(const std::string& idx_path) {
  std::vector<IndexEntry> entries;
  platform::SourceFile idx;
  std::array<uint8_t, 4> magic{};
  if (idx_path.empty()) return entries;
  if (!idx.Open(idx_path) || !idx.ReadAt(0, magic)) {
    outcome_.notes.push_back(idx_path + ": the index cannot be read (" +
                             (idx.OpenError().empty() ? "read error" : idx.OpenError()) +
                             "); every message is listed as Deleted");
    return entries;
  }
  if (!std::equal(magic.begin(), magic.end(), kIndexMagic)) return entries;
  // every entry names itself and lies after the one before, so the walk ends
  for (uint64_t at = kIndexHeaderSize; at + kIndexEntrySize <= idx.Length();) {
    std::array<uint8_t, kIndexEntrySize> entry{};
    if (!idx.ReadAt(at, entry) || LoadLe32(&entry[4]) != at) break;
    const uint32_t length = LoadLe32(&entry[8]);
    entries.push_back({LoadLe32(&entry[12]), (LoadLe32(&entry[0]) & 1) != 0});
    at += std::max(length, kIndexEntrySize);
  }
  return entries;
}

RunOutcome Oe4Mailbox::Run(const std::string& path) {
  outcome_ = {};
  digests_ = {};
  listed_.clear();
  reporter_.EnterStage(Stage::kOpening);
  if (!mbx_.Open(path)) {
    outcome_.ending = RunEnding::kCannotOpen;
    return outcome_;
  }
  reporter_.EnterStage(Stage::kExisting);
  reporter_.SetProgress(0);
  for (const IndexEntry& entry : ReadIndex(IndexPathOf(path))) {
    if (reporter_.StopRequested()) break;
    if (!entry.deleted) List(entry.record, false);
  }
  if (!reporter_.StopRequested()) {
    reporter_.EnterStage(Stage::kLostBlocks);
    ListUnindexed();
  }
  const bool stopped = reporter_.StopRequested();
  if (digest_source_ && !stopped && outcome_.ending == RunEnding::kDone &&
      DigestWholeSource(
          mbx_, [](uint64_t) { return true; }, digests_) == RunEnding::kReadError) {
    outcome_.ending = RunEnding::kReadError;
  }
  reporter_.EnterStage(stopped ? Stage::kStopped : Stage::kDone);
  if (outcome_.ending == RunEnding::kDone && stopped) outcome_.ending = RunEnding::kStopped;
  return outcome_;
}

void Oe4Mailbox::List(uint32_t record, bool deleted) {
  if (listed_.contains(record)) return;
  std::string error;
  if (!ExtractToBytes(record, Repair::kNulOnly, text_, &error)) return;
  listed_.insert(record);
  ExtractedMessage message{"", deleted, record, text_, true};
  if (tracing_) {
    trace_.Clear();
    trace_.AddRun(uint64_t{record} + kMbxRecordHeaderSize, 0, text_.size());
    message.trace = &trace_;
  }
  reporter_.AddRecoveredMessage(message);
}

// A record's text is passed over whole: a marker inside a message is no record.
void Oe4Mailbox::ListUnindexed() {
  std::vector<uint8_t> window(kScanWindow + sizeof kMarker);
  uint64_t at = kMailboxHeaderSize;
  while (at + kMbxRecordHeaderSize <= mbx_.Length() && !reporter_.StopRequested()) {
    reporter_.SetProgress(static_cast<int>(at * 100 / mbx_.Length()));
    if (!mbx_.ReadAt(at, window)) {
      outcome_.ending = RunEnding::kReadError;
      return;
    }
    const auto end = window.begin() + kScanWindow;
    auto found = std::search(window.begin(), window.end(), kMarker, kMarker + 4);
    if (found >= end) {
      at += kScanWindow;
      continue;
    }
    const uint64_t record = at + static_cast<uint64_t>(found - window.begin());
    if (const auto size = RecordAt(record)) {
      List(static_cast<uint32_t>(record), true);
      at = record + kMbxRecordHeaderSize + *size;
    } else {
      at = record + 1;
    }
  }
}

bool Oe4Mailbox::ExtractToBytes(uint64_t first, Repair, std::vector<uint8_t>& text,
                                std::string* error) const {
  const auto size = RecordAt(first);
  if (!size) {
    if (error) *error = "no message lies at this offset of the .mbx file";
    return false;
  }
  text.resize(*size);
  if (!mbx_.ReadAt(first + kMbxRecordHeaderSize, text)) {
    if (error) *error = "cannot read the .mbx file";
    return false;
  }
  return true;
}

bool Oe4Mailbox::ExtractToFile(const std::string& path, uint64_t first, Repair repair,
                               bool* damaged, std::string* error) const {
  if (damaged) *damaged = false;
  std::vector<uint8_t> text;
  if (!ExtractToBytes(first, repair, text, error)) return false;
  platform::OutputFile out;
  const bool written = out.Create(path, false) && out.Write(text);
  if (out.Close() && written) return true;
  if (error) *error = "cannot write " + path + ": " + out.Error();
  return false;
}

}  // namespace rescuva::engine
