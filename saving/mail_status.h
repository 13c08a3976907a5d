// What a saved message's file says of it beyond its bytes: the date it is stamped
// with, and the status headers mail programs keep in mbox files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/folder_file_writer.h"

namespace rescuva::saving {

// The message's own date (its Date header), else when it was received.
std::optional<int64_t> MessageDate(const engine::MessageInfo& info);

// "\r\n" when the message's first line ends so, else "\n".
std::string_view LineEnd(std::string_view text);

// "X-Mozilla-Status: XXXX" and "Status: RO" or "O" from Outlook Express record flags
// (read, answered, forwarded, flagged), each line ending in `line_end`; mail that
// came back from deletion gets "X-Mozilla-Keys: recovered", the key Thunderbird gives
// a tag named "Recovered".
std::string MozillaStatusLines(uint32_t flags, bool recovered, std::string_view line_end);

// The status headers mail programs keep in mbox files: "Status: RO" (read) or "O", and
// "X-Status:" with A for answered and F for flagged when either is set.
std::string MboxStatusLines(uint32_t flags, std::string_view line_end);

}  // namespace rescuva::saving
