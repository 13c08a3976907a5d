#include "catalogue/message_catalogue.h"

#include "loader/message_loader.h"

namespace rescuva::catalogue {

std::optional<CatalogueRow> MakeCatalogueRow(const std::string& path, bool deleted,
                                             uint64_t offset) {
  const auto bytes = loader::ReadMessageBytes(path);
  if (!bytes) return std::nullopt;
  return MakeCatalogueRow(*bytes, deleted, offset);
}

std::optional<CatalogueRow> MakeCatalogueRow(std::span<const char> bytes, bool deleted,
                                             uint64_t offset) {
  auto message = loader::LoadMessage(bytes, false);
  if (!message) return std::nullopt;
  return MakeCatalogueRow(std::move(*message), deleted, offset);
}

engine::MessageInfo MessageInfoOf(const loader::LoadedMessage& message) {
  return {message.sent_time,     message.received_time,   message.subject,
          message.message_id,    message.sender_name,     message.sender_address,
          message.receiver_name, message.receiver_address};
}

void ApplyRecordFacts(const engine::RecordFacts& facts, CatalogueRow& row) {
  row.record = facts;
  row.info.flags = facts.flags;
  if (!row.info.sent_time) row.info.sent_time = facts.sent_time;
  if (facts.received_time) row.info.received_time = facts.received_time;
}

std::optional<CatalogueRow> MakeCatalogueRow(loader::LoadedMessage message, bool deleted,
                                             uint64_t offset) {
  if (message.from.empty() && message.to.empty() && message.subject.empty()) return std::nullopt;
  engine::MessageInfo info = MessageInfoOf(message);
  CatalogueRow row{deleted,
                   false,
                   offset,
                   std::move(message.from),
                   std::move(message.to),
                   std::move(message.subject),
                   message.received_time,
                   {},
                   {},
                   std::move(info)};
  for (auto& name : message.attachment_names) {
    if (!name.empty()) row.attachment_names.push_back(std::move(name));
  }
  return row;
}

// Text allows few control characters: the pointers deletion leaves are a byte or two
// per block, an index node or a picture's bytes far more.
std::optional<CatalogueRow> MakeFragmentRow(std::span<const char> bytes, bool deleted,
                                            uint64_t offset) {
  if (bytes.empty()) return std::nullopt;
  size_t control = 0;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F) ++control;
  }
  if (control * 50 > bytes.size()) return std::nullopt;
  CatalogueRow row;
  row.deleted = deleted;
  row.fragment = true;
  row.offset = offset;
  return row;
}

std::string CatalogueRow::CutReason() const {
  if (!Cut()) return {};
  return std::string(engine::ChainEndText(end)) + " (the last block read lies at " +
         std::to_string(stop) + ")";
}

std::string CounterText(size_t rows) {
  return "Emails          :  " + std::to_string(rows);
}

}  // namespace rescuva::catalogue
