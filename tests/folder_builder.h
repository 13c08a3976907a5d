// Crafted folder files for the tests: a header, index nodes, message-info records and
// message blocks placed at chosen offsets, each as its edge case needs it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "engine/index_node.h"
#include "engine/message_info_record.h"

namespace rescuva::testing {

class FolderBuilder {
 public:
  explicit FolderBuilder(size_t size = 0x10000) : bytes_(size, 0) {}

  FolderBuilder& Header(uint32_t message_count, uint32_t index_root);
  FolderBuilder& Bytes(uint64_t at, std::span<const uint8_t> bytes);
  FolderBuilder& Le32(uint64_t at, uint32_t value);
  // A node at `at` naming itself and `parent`, with (info offset, child, count) entries.
  FolderBuilder& Node(uint32_t at, uint32_t parent,
                      std::initializer_list<engine::IndexEntry> entries, uint32_t child = 0,
                      uint32_t child_count = 0);
  // A record at `at` whose attribute 4 is `first` (stored directly).
  FolderBuilder& Record(uint32_t at, uint32_t first);
  FolderBuilder& Block(uint32_t at, uint32_t block_size, uint32_t data_length, uint32_t next,
                       std::span<const uint8_t> data = {});
  // `text` in a chain of 512-byte blocks at the given offsets.
  FolderBuilder& Chain(const std::vector<uint32_t>& offsets, const std::string& text,
                       uint32_t block_size = 512);

  std::vector<uint8_t>& Data() { return bytes_; }
  // Writes the file into `folder` and returns its path.
  std::string Write(const std::string& folder, const std::string& name = "folder.dbx") const;

 private:
  void Reserve(uint64_t end);
  std::vector<uint8_t> bytes_;
};

// A folder file of two lost messages: "small" at 0x3000, and "oversized" at
// kOversizedFirst, larger than the engine holds in memory, so that only it needs a
// scratch copy. Returns its path.
constexpr uint32_t kOversizedFirst = 0x3210;
std::string WriteFolderWithOversizedMessage(const std::string& folder);

// A minimal Internet message with the given subject and body.
std::string MailText(const std::string& subject, const std::string& body = "Hello.\r\n");

std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);

}  // namespace rescuva::testing
