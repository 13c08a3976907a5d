// Tells which deleted messages of a store are leftover copies of messages that exist
// in it: a message moved to another folder leaves a freed copy in its old file. A
// copy has the Message-ID of an existing message or, without one, its bytes.
#pragma once

#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "catalogue/message_catalogue.h"

namespace rescuva::session {

class CopyFinder {
 public:
  // Learns the existing messages the index of the folder file at `path` names, before
  // the scan lists any of them.
  void LearnIndexed(int folder, const std::string& path, const std::atomic<bool>& stop);
  // Learns an existing message as it is listed.
  void LearnListed(const catalogue::CatalogueRow& row, std::span<const char> bytes);
  // The existing message a deleted one is a copy of.
  std::optional<catalogue::CopyOf> CopyOf(const catalogue::CatalogueRow& row,
                                          std::span<const char> bytes) const;

 private:
  static std::string KeyOfId(const std::string& message_id);
  static std::string KeyOfBytes(std::span<const uint8_t> bytes);
  static std::string KeyOf(const catalogue::CatalogueRow& row, std::span<const char> bytes);

  std::unordered_map<std::string, catalogue::CopyOf> existing_;
};

}  // namespace rescuva::session
