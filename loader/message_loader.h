// LoadMessageFile: reads an Internet message file into the properties the catalogue,
// the preview and the saving ask for. Nothing outside the loader sees the parser.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rescuva::loader {

struct LoadedMessage {
  std::string from;  // display text of From, encoded words decoded; UTF-8
  std::string to;    // display text of To
  std::string subject;
  std::optional<int64_t> received_time;  // seconds since 1970 UTC: newest Received, else Date
  std::optional<int64_t> sent_time;      // Date
  std::string html_body;                 // decoded text of the HTML body part; empty when none
  std::string text_body;  // decoded text of the plain-text body part; empty when none
  std::vector<std::string> attachment_names;  // one per attachment, empty when unnamed

  // For the message-info record of a saved folder file.
  std::string message_id;
  std::string sender_name;
  std::string sender_address;
  std::string receiver_name;
  std::string receiver_address;

  bool HasNamedAttachment() const;
};

// Nothing for a missing, unreadable or empty file, or content that cannot be parsed.
// Without `bodies` the two body texts stay empty (a listing has no use for them).
std::optional<LoadedMessage> LoadMessageFile(const std::string& path, bool bodies = true);

// The same for a message file's bytes already read; ReadMessageBytes reads them, and
// gives nothing for a missing, unreadable or empty file.
std::optional<std::vector<char>> ReadMessageBytes(const std::string& path);
std::optional<LoadedMessage> LoadMessage(std::span<const char> bytes, bool bodies = true);

}  // namespace rescuva::loader
