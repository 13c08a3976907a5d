#include "session/copy_finder.h"

#include "engine/dbx_recovery_engine.h"
#include "engine/index_reader.h"
#include "platform/digests.h"

namespace rescuva::session {

// "<id@host>" and "id@host" are the same id.
std::string CopyFinder::KeyOfId(const std::string& message_id) {
  const size_t start = message_id.find_first_not_of(" \t<");
  if (start == std::string::npos) return "";
  const size_t end = message_id.find_last_not_of(" \t>");
  return "id:" + message_id.substr(start, end + 1 - start);
}

std::string CopyFinder::KeyOfBytes(std::span<const uint8_t> bytes) {
  platform::Hasher digest(platform::HashKind::kSha256);
  digest.Update(bytes);
  return "bytes:" + digest.HexDigest();
}

std::string CopyFinder::KeyOf(const catalogue::CatalogueRow& row, std::span<const char> bytes) {
  const std::string id = KeyOfId(row.info.message_id);
  if (!id.empty()) return id;
  return KeyOfBytes({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

void CopyFinder::LearnIndexed(int folder, const std::string& path, const std::atomic<bool>& stop) {
  // the engine holds the file and reads a message whole, which only a message
  // without an id needs; the index is read from its source
  engine::QuietReporter quiet;
  engine::DbxRecoveryEngine engine(quiet, "");
  if (!engine.OpenSource(path)) return;
  engine::IndexReader index(engine.Source());
  std::vector<uint8_t> text;
  for (const uint32_t record : index.Records()) {
    if (stop) break;
    index.ReadRecord(record);
    if ((index.PresenceMask() & (1u << engine::kFirstBlockAttribute)) == 0) continue;
    const uint32_t first = index.AttributeValue(engine::kFirstBlockAttribute);
    std::string key = KeyOfId(index.AttributeText(engine::kAttributeMessageId));
    if (key.empty()) {
      if (!engine.ExtractToBytes(first, engine::Repair::kNulOnly, text)) continue;
      key = KeyOfBytes(text);
    }
    existing_.emplace(std::move(key), catalogue::CopyOf{folder, first});
  }
}

void CopyFinder::LearnListed(const catalogue::CatalogueRow& row, std::span<const char> bytes) {
  existing_.emplace(KeyOf(row, bytes), catalogue::CopyOf{row.folder, row.offset});
}

std::optional<catalogue::CopyOf> CopyFinder::CopyOf(const catalogue::CatalogueRow& row,
                                                    std::span<const char> bytes) const {
  const auto it = existing_.find(KeyOf(row, bytes));
  if (it == existing_.end()) return std::nullopt;
  return it->second;
}

}  // namespace rescuva::session
