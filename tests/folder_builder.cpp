#include "tests/folder_builder.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "engine/byte_order.h"
#include "engine/message_block.h"

namespace rescuva::testing {

void FolderBuilder::Reserve(uint64_t end) {
  if (end > bytes_.size()) bytes_.resize(end, 0);
}

FolderBuilder& FolderBuilder::Header(uint32_t message_count, uint32_t index_root) {
  return Le32(0xC4, message_count).Le32(0xE4, index_root);
}

FolderBuilder& FolderBuilder::Bytes(uint64_t at, std::span<const uint8_t> bytes) {
  Reserve(at + bytes.size());
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<ptrdiff_t>(at));
  return *this;
}

FolderBuilder& FolderBuilder::Le32(uint64_t at, uint32_t value) {
  uint8_t raw[4];
  engine::StoreLe32(raw, value);
  return Bytes(at, raw);
}

FolderBuilder& FolderBuilder::Node(uint32_t at, uint32_t parent,
                                   std::initializer_list<engine::IndexEntry> entries,
                                   uint32_t child, uint32_t child_count) {
  engine::IndexNode node;
  node.self_offset = at;
  node.parent_offset = parent;
  node.child_offset = child;
  node.child_entry_count = child_count;
  node.entry_count = static_cast<uint8_t>(entries.size());
  std::copy(entries.begin(), entries.end(), node.entries.begin());
  return Bytes(at, node.Encode());
}

FolderBuilder& FolderBuilder::Record(uint32_t at, uint32_t first) {
  engine::MessageInfoRecordBuilder record;
  record.AddDirect(0, 1);
  record.AddNumber(4, first);
  return Bytes(at, record.Build(at));
}

FolderBuilder& FolderBuilder::Block(uint32_t at, uint32_t block_size, uint32_t data_length,
                                    uint32_t next, std::span<const uint8_t> data) {
  Bytes(at, engine::MessageBlockHeader{at, block_size, data_length, next}.Encode());
  return Bytes(at + engine::kBlockHeaderSize, data);
}

FolderBuilder& FolderBuilder::Chain(const std::vector<uint32_t>& offsets, const std::string& text,
                                    uint32_t block_size) {
  const std::vector<uint32_t>& at = offsets;
  for (size_t i = 0; i < at.size(); ++i) {
    const size_t from = std::min(text.size(), i * 512);
    const size_t n = std::min<size_t>(512, text.size() - from);
    const auto* data = reinterpret_cast<const uint8_t*>(text.data()) + from;
    Block(at[i], block_size, static_cast<uint32_t>(n), i + 1 < at.size() ? at[i + 1] : 0,
          std::span(data, n));
  }
  return *this;
}

std::string FolderBuilder::Write(const std::string& folder, const std::string& name) const {
  const std::string path = folder + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()),
            static_cast<std::streamsize>(bytes_.size()));
  return path;
}

std::string WriteFolderWithOversizedMessage(const std::string& folder) {
  constexpr uint32_t kBlocks = 9000;  // 4.6 MB of text
  FolderBuilder built(kOversizedFirst + kBlocks * 0x210);
  built.Chain({0x3000}, MailText("small"));
  std::vector<uint32_t> offsets;
  for (uint32_t i = 0; i < kBlocks; ++i) offsets.push_back(kOversizedFirst + i * 0x210);
  built.Chain(offsets, MailText("oversized", std::string(kBlocks * 512 - 200, 'x')));
  return built.Write(folder, "oversized.dbx");
}

std::string MailText(const std::string& subject, const std::string& body) {
  return "From: Alice Example <alice@example.org>\r\nTo: bob@example.org\r\nSubject: " + subject +
         "\r\nDate: Tue, 10 Feb 2004 19:26:59 +0000\r\n\r\n" + body;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadFileText(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

}  // namespace rescuva::testing
