// LoadMessageFile: reads an Internet message file into the properties the catalogue,
// the preview and the saving ask for. Nothing outside the loader sees the parser.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rescuva::loader {

// A part the HTML body may refer to: by its Content-ID (cid:) or its Content-Location.
struct RelatedPart {
  std::string content_type;  // "image/png"
  std::string content_id;    // without the angle brackets
  std::string content_location;
  std::string content;  // decoded
};

// An attachment as a mail program saves it: its own name (empty when it has none) and
// its content with the transfer encoding undone.
struct Attachment {
  std::string name;
  std::string content;
};

struct LoadedMessage {
  std::string from;  // display text of From, encoded words decoded; UTF-8
  std::string to;    // display text of To
  std::string subject;
  std::optional<int64_t> received_time;  // seconds since 1970 UTC: newest Received, else Date
  std::optional<int64_t> sent_time;      // Date
  std::string html_body;                 // decoded text of the HTML body part; empty when none
  std::string text_body;  // decoded text of the plain-text body part; empty when none
  std::vector<std::string> attachment_names;  // one per attachment, empty when unnamed
  // With the bodies: the HTML body's bytes as the part holds them (transfer encoding
  // undone, in its own charset, which its markup may name too) and that charset.
  std::string html_source;
  std::string html_charset;  // empty when the part names none
  // With the bodies: every other part that has a Content-ID or a Content-Location.
  std::vector<RelatedPart> related_parts;

  // For the message-info record of a saved folder file.
  std::string message_id;
  std::string sender_name;
  std::string sender_address;
  std::string receiver_name;
  std::string receiver_address;

  // With the attachments: each one's content, in the order of attachment_names.
  std::vector<Attachment> attachments;

  bool HasNamedAttachment() const;
};

// Nothing for a missing, unreadable or empty file, or content that cannot be parsed.
// Without `bodies` the two body texts stay empty (a listing has no use for them).
std::optional<LoadedMessage> LoadMessageFile(const std::string& path, bool bodies = true);

// The same for a message file's bytes already read; ReadMessageBytes reads them, and
// gives nothing for a missing, unreadable or empty file.
std::optional<std::vector<char>> ReadMessageBytes(const std::string& path);
std::optional<LoadedMessage> LoadMessage(std::span<const char> bytes, bool bodies = true);
// The message's attachments alone, in message order; none for bytes that hold no message.
std::vector<Attachment> LoadAttachments(std::span<const char> bytes);

// The message's HTML body as a MIME HTML archive a browser shows: a multipart/related
// whose root is the HTML body in its own charset, declared (UTF-8 when valid, else
// Windows-1252, for a part that names none), followed by the parts it may refer to.
// Empty when the message has no HTML body.
std::string MhtmlArchive(const LoadedMessage& message);
// The same for any page, in `html_charset` (named when empty as above), and its parts.
std::string MhtmlArchive(const std::string& html, const std::string& html_charset,
                         const std::vector<RelatedPart>& parts);

}  // namespace rescuva::loader
