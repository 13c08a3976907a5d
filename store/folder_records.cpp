#include "store/folder_records.h"

#include <algorithm>
#include <optional>
#include <span>

#include "engine/byte_order.h"
#include "engine/folder_list_writer.h"
#include "engine/index_reader.h"
#include "engine/windows_1252.h"
#include "platform/source_file.h"

namespace rescuva::store {
namespace {

constexpr uint32_t kNchName = 20;
constexpr uint32_t kNchFile = 279;
constexpr uint32_t kNchParent = 539;
constexpr uint32_t kNchRecordEnd = 551;
constexpr uint32_t kNchTextLimit = kNchFile - kNchName;

// For each offset of `bytes`, the length of the run of printable characters starting
// there, so that whether a zero-terminated text starts at an offset is told at once.
class TextRuns {
 public:
  explicit TextRuns(std::span<const uint8_t> bytes) : bytes_(bytes), runs_(bytes.size() + 1, 0) {
    for (size_t i = bytes.size(); i-- > 0;) {
      const bool printable = bytes[i] >= 0x20 && bytes[i] != 0x7F;
      // only runs shorter than a field matter: longer ones stop counting
      runs_[i] = printable ? static_cast<uint16_t>(std::min(runs_[i + 1] + 1, 0xFFFF)) : 0;
    }
  }
  // The text at `at` when it ends in a zero byte within `limit` bytes.
  std::optional<std::string> TextAt(size_t at, size_t limit) const {
    if (at >= bytes_.size()) return std::nullopt;
    const size_t end = at + runs_[at];
    if (runs_[at] >= limit || end >= bytes_.size() || bytes_[end] != 0) return std::nullopt;
    return std::string(bytes_.begin() + static_cast<ptrdiff_t>(at),
                       bytes_.begin() + static_cast<ptrdiff_t>(end));
  }

 private:
  std::span<const uint8_t> bytes_;
  std::vector<uint16_t> runs_;
};

bool EndsWithMbx(const std::string& name) {
  return name.size() >= 4 && engine::AsciiLower(name.substr(name.size() - 4)) == ".mbx";
}

}  // namespace

std::vector<FolderRecord> ReadFolderList(const std::string& path) {
  std::vector<FolderRecord> records;
  platform::SourceFile file;
  if (!file.Open(path)) return records;
  engine::IndexReader index(file);
  for (const uint32_t offset : index.Records()) {
    index.ReadRecord(offset);
    const uint32_t present = index.PresenceMask();
    if (present == 0) continue;
    FolderRecord record;
    record.id = index.AttributeValue(engine::kFolderId);
    // absent on the local store's root and on account roots: below the tree's root
    record.parent =
        present & (1u << engine::kFolderParent) ? index.AttributeValue(engine::kFolderParent) : 0;
    record.name = engine::FromWindows1252(index.AttributeText(engine::kFolderName));
    record.file = engine::FromWindows1252(index.AttributeText(engine::kFolderFile));
    record.special = static_cast<int>(index.AttributeValue(engine::kFolderSpecial));
    record.account_type = static_cast<int>(index.AttributeValue(engine::kFolderAccountType));
    record.local_key = index.AttributeText(engine::kFolderAccountKey) == "LocalStore";
    records.push_back(std::move(record));
  }
  return records;
}

std::vector<FolderRecord> ReadOe4FolderList(const std::string& path) {
  std::vector<FolderRecord> records;
  platform::SourceFile file;
  constexpr uint32_t kLimit = 1 << 24;  // a folder list is a few kilobytes
  if (!file.Open(path) || file.Length() > kLimit) return records;
  std::vector<uint8_t> bytes(file.Length());
  if (!file.ReadAt(0, bytes)) return records;
  const TextRuns texts(bytes);
  for (size_t at = 0; at + kNchRecordEnd <= bytes.size();) {
    const auto name = texts.TextAt(at + kNchName, kNchTextLimit);
    const auto mbx =
        name && !name->empty() ? texts.TextAt(at + kNchFile, kNchParent - kNchFile) : std::nullopt;
    if (!mbx || (!mbx->empty() && !EndsWithMbx(*mbx))) {
      ++at;
      continue;
    }
    FolderRecord record;
    record.id = static_cast<uint32_t>(at);
    record.parent = engine::LoadLe32(&bytes[at + kNchParent]);
    record.name = engine::FromWindows1252(*name);
    record.file = engine::FromWindows1252(*mbx);
    records.push_back(std::move(record));
    at += kNchRecordEnd;
  }
  return records;
}

}  // namespace rescuva::store
