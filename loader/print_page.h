// A message laid out for printing as the preview shows it: the header block (From,
// To, Subject, Date, and why the message is cut), the names of its attachments, then
// its body: the HTML body with the pictures it carries, else its text. The page is a
// MIME HTML archive in UTF-8 for the browser engine to print; every recovered text in
// the header block is escaped, never markup.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "loader/message_loader.h"

namespace rescuva::loader {

struct PrintedHeader {
  std::string from;
  std::string to;
  std::string subject;
  std::optional<int64_t> date;  // seconds since 1970 UTC
  std::string notice;           // why the message is cut; empty when it is whole
};

std::string PrintArchive(const LoadedMessage& message, const PrintedHeader& header);

// Text that is no message (a fragment) printed as text under the header block.
std::string PrintTextArchive(std::string_view text, const PrintedHeader& header);

}  // namespace rescuva::loader
