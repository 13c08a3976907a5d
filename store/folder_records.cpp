#include "store/folder_records.h"

#include <algorithm>
#include <cctype>

#include "engine/byte_order.h"
#include "engine/dbx_recovery_engine.h"
#include "engine/windows_1252.h"
#include "platform/source_file.h"

namespace rescuva::store {
namespace {

enum FolderAttribute : uint32_t {
  kId = 0x00,
  kParent = 0x01,
  kName = 0x02,
  kFile = 0x03,
  kAccountKey = 0x05,
  kSpecial = 0x09,
  kAccountType = 0x0A,
};

constexpr uint32_t kNchName = 20;
constexpr uint32_t kNchFile = 279;
constexpr uint32_t kNchParent = 539;
constexpr uint32_t kNchRecordEnd = 551;
constexpr uint32_t kNchTextLimit = kNchFile - kNchName;

// A zero-terminated text of printable characters at `at`, at most `limit` bytes.
bool ReadText(std::span<const uint8_t> bytes, size_t at, size_t limit, std::string& text) {
  text.clear();
  for (size_t i = at; i < bytes.size() && i < at + limit; ++i) {
    if (bytes[i] == 0) return true;
    if (bytes[i] < 0x20 || bytes[i] == 0x7F) return false;
    text += static_cast<char>(bytes[i]);
  }
  return false;
}

bool EndsWithMbx(const std::string& name) {
  return name.size() >= 4 && engine::AsciiLower(name.substr(name.size() - 4)) == ".mbx";
}

}  // namespace

std::vector<FolderRecord> ReadFolderList(const std::string& path) {
  engine::QuietReporter quiet;
  engine::DbxRecoveryEngine engine(quiet, "");
  std::vector<FolderRecord> records;
  if (!engine.OpenSource(path)) return records;
  for (const uint32_t offset : engine.IndexedRecords()) {
    engine.ReadMessageInfo(offset);
    const uint32_t present = engine.PresenceMask();
    if (present == 0) continue;
    FolderRecord record;
    record.id = engine.AttributeValue(kId);
    // absent on the local store's root and on account roots: below the tree's root
    record.parent = present & (1u << kParent) ? engine.AttributeValue(kParent) : 0;
    record.name = engine::FromWindows1252(engine.AttributeText(kName));
    record.file = engine::FromWindows1252(engine.AttributeText(kFile));
    record.special = static_cast<int>(engine.AttributeValue(kSpecial));
    record.account_type = static_cast<int>(engine.AttributeValue(kAccountType));
    record.local_key = engine.AttributeText(kAccountKey) == "LocalStore";
    records.push_back(std::move(record));
  }
  engine.CloseSource();
  return records;
}

std::vector<FolderRecord> ReadOe4FolderList(const std::string& path) {
  std::vector<FolderRecord> records;
  platform::SourceFile file;
  constexpr uint32_t kLimit = 1 << 24;  // a folder list is a few kilobytes
  if (!file.Open(path) || file.Length() > kLimit) return records;
  std::vector<uint8_t> bytes(file.Length());
  if (!file.ReadAt(0, bytes)) return records;
  std::string name;
  std::string mbx;
  for (size_t at = 0; at + kNchRecordEnd <= bytes.size();) {
    const bool shaped = ReadText(bytes, at + kNchName, kNchTextLimit, name) && !name.empty() &&
                        ReadText(bytes, at + kNchFile, kNchParent - kNchFile, mbx) &&
                        (mbx.empty() || EndsWithMbx(mbx));
    if (!shaped) {
      ++at;
      continue;
    }
    FolderRecord record;
    record.id = static_cast<uint32_t>(at);
    record.parent = engine::LoadLe32(&bytes[at + kNchParent]);
    record.name = engine::FromWindows1252(name);
    record.file = engine::FromWindows1252(mbx);
    records.push_back(std::move(record));
    at += kNchRecordEnd;
  }
  return records;
}

}  // namespace rescuva::store
