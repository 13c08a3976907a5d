#include "saving/mail_status.h"

#include <cstdio>

#include "engine/message_info_record.h"

namespace rescuva::saving {
namespace {

// Outlook Express record flags and the Thunderbird status bits they become.
struct FlagPair {
  uint32_t outlook;
  uint32_t mozilla;
};
constexpr FlagPair kFlagPairs[] = {
    {engine::kRecordRead, 0x0001},
    {engine::kRecordAnswered, 0x0002},
    {engine::kRecordFlagged, 0x0004},
    {engine::kRecordForwarded, 0x1000},
};

}  // namespace

std::optional<int64_t> MessageDate(const engine::MessageInfo& info) {
  return info.sent_time ? info.sent_time : info.received_time;
}

std::string_view LineEnd(std::string_view text) {
  const size_t end = text.find('\n');
  return end != std::string_view::npos && end > 0 && text[end - 1] == '\r' ? "\r\n" : "\n";
}

std::string MozillaStatusLines(uint32_t flags, bool recovered, std::string_view line_end) {
  uint32_t status = 0;
  for (const FlagPair& pair : kFlagPairs) {
    if (flags & pair.outlook) status |= pair.mozilla;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", status);
  std::string lines = "X-Mozilla-Status: " + std::string(hex);
  lines += line_end;
  if (recovered) {
    lines += "X-Mozilla-Keys: recovered";
    lines += line_end;
  }
  return lines + MboxStatusLines(flags & engine::kRecordRead, line_end);
}

std::string MboxStatusLines(uint32_t flags, std::string_view line_end) {
  std::string lines = flags & engine::kRecordRead ? "Status: RO" : "Status: O";
  lines += line_end;
  std::string status;
  if (flags & engine::kRecordAnswered) status += 'A';
  if (flags & engine::kRecordFlagged) status += 'F';
  if (!status.empty()) {
    lines += "X-Status: " + status;
    lines += line_end;
  }
  return lines;
}

}  // namespace rescuva::saving
