#include "tests/store_builder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "engine/byte_order.h"
#include "engine/file_info_block.h"
#include "engine/folder_file_header.h"
#include "engine/folder_file_writer.h"
#include "engine/folder_list_writer.h"
#include "engine/message_info_record.h"
#include "tests/folder_builder.h"

namespace rescuva::testing {
namespace {

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

void Put(std::vector<uint8_t>& bytes, uint64_t at, std::span<const uint8_t> data) {
  if (bytes.size() < at + data.size()) bytes.resize(at + data.size());
  std::copy(data.begin(), data.end(), bytes.begin() + static_cast<ptrdiff_t>(at));
}

void PutLe32(std::vector<uint8_t>& bytes, uint64_t at, uint32_t value) {
  uint8_t le[4];
  engine::StoreLe32(le, value);
  Put(bytes, at, le);
}

}  // namespace

void WriteFolderList(const std::string& path, std::vector<FolderSpec> folders) {
  WriteBytes(path, engine::FolderListBytes(std::move(folders)));
}

bench::GeneratedMessage StoreMail(const std::string& subject, const std::string& message_id,
                                  bool deleted, uint32_t flags, int64_t received) {
  bench::GeneratedMessage message;
  message.text =
      "From: Ada Lindqvist <ada@example.org>\r\nTo: ben@example.org\r\nSubject: " + subject +
      "\r\nDate: Tue, 10 Feb 2004 19:26:59 +0000\r\n" +
      (message_id.empty() ? "" : "Message-ID: <" + message_id + ">\r\n") + "\r\nThe text of " +
      subject + ".\r\n";
  message.deleted = deleted;
  message.info.subject = subject;
  message.info.message_id = message_id.empty() ? "" : "<" + message_id + ">";
  message.info.sender_address = "ada@example.org";
  message.info.received_time = received;
  message.info.flags = flags;
  return message;
}

void WriteDeepStore(const std::string& folder, uint32_t depth, uint32_t wide) {
  std::vector<FolderSpec> nested;
  for (uint32_t i = 0; i < depth; ++i) {
    nested.push_back({10 + i, i == 0 ? 1 : 9 + i, "level", i + 1 == depth ? "Deep.dbx" : ""});
  }
  for (uint32_t i = 0; i < wide; ++i) nested.push_back({10 + depth + i, 10, "wide", ""});
  WriteFolderList(folder + "/Folders.dbx", nested);
  WriteMailFile(folder + "/Deep.dbx", {StoreMail("at the bottom", "b@x")});
}

void WriteMailFile(const std::string& path, const std::vector<bench::GeneratedMessage>& messages,
                   const std::string& folder_name) {
  bench::Layout layout;
  layout.folder_name = folder_name;
  ASSERT_TRUE(bench::WriteGeneratedFolder(
      path, messages.size(), [&](size_t i) { return messages[i]; }, layout));
}

void WriteOe4Folder(const std::string& folder, const std::string& stem,
                    const std::vector<Oe4Message>& messages) {
  std::vector<uint8_t> mbx(0x54);
  Put(mbx, 0, std::vector<uint8_t>{'J', 'M', 'F', '6'});
  PutLe32(mbx, 4, 0x00010003);
  PutLe32(mbx, 8, static_cast<uint32_t>(messages.size()));
  std::vector<uint8_t> idx(0x50);
  Put(idx, 0, std::vector<uint8_t>{'J', 'M', 'F', '9'});
  PutLe32(idx, 4, 0x00010004);
  uint32_t number = 0;
  for (const Oe4Message& message : messages) {
    const auto at = static_cast<uint32_t>(mbx.size());
    const auto size = static_cast<uint32_t>(message.text.size());
    Put(mbx, at, std::vector<uint8_t>{0x7F, 0x00, 0x7F, 0x00});
    PutLe32(mbx, at + 4, ++number);
    PutLe32(mbx, at + 8, 16 + size);
    PutLe32(mbx, at + 12, size);
    Put(mbx, at + 16, std::vector<uint8_t>(message.text.begin(), message.text.end()));
    if (!message.indexed) continue;
    const auto entry = static_cast<uint32_t>(idx.size());
    PutLe32(idx, entry, message.deleted ? 1 : 0);
    PutLe32(idx, entry + 4, entry);
    PutLe32(idx, entry + 8, 20);
    PutLe32(idx, entry + 12, at);
    PutLe32(idx, entry + 16, 16 + size);
  }
  WriteBytes(folder + "/" + stem + ".mbx", mbx);
  WriteBytes(folder + "/" + stem + ".idx", idx);
}

void WriteOe4FolderList(const std::string& path, const std::vector<Oe4FolderSpec>& folders) {
  constexpr uint32_t kHeader = 0x40;
  constexpr uint32_t kRecord = 0x240;
  std::vector<uint8_t> bytes(kHeader + kRecord * folders.size());
  auto record_at = [&](int i) { return i < 0 ? 0u : kHeader + kRecord * static_cast<uint32_t>(i); };
  for (size_t i = 0; i < folders.size(); ++i) {
    const uint32_t at = record_at(static_cast<int>(i));
    Put(bytes, at + 20, std::vector<uint8_t>(folders[i].name.begin(), folders[i].name.end()));
    Put(bytes, at + 279, std::vector<uint8_t>(folders[i].file.begin(), folders[i].file.end()));
    PutLe32(bytes, at + 539, record_at(folders[i].parent));
  }
  WriteBytes(path, bytes);
}

}  // namespace rescuva::testing
