#include "engine/deleted_block_repair.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

namespace rescuva::engine {
namespace {

constexpr size_t kLost = 4;
constexpr std::string_view kMark = "????";
constexpr size_t kFarthestLine = 1000;  // base64 lines are far shorter

// Headers a message may begin with. A name whose colon falls inside the lost bytes
// ("From:", "Date:") is told apart by its value.
constexpr std::array<std::string_view, 24> kHeaderNames = {"Received",
                                                           "Return-Path",
                                                           "Subject",
                                                           "Message-ID",
                                                           "MIME-Version",
                                                           "Content-Type",
                                                           "Delivered-To",
                                                           "X-Mailer",
                                                           "Reply-To",
                                                           "X-Priority",
                                                           "Thread-Topic",
                                                           "Thread-Index",
                                                           "Importance",
                                                           "In-Reply-To",
                                                           "References",
                                                           "Organization",
                                                           "User-Agent",
                                                           "X-Originating-IP",
                                                           "Received-SPF",
                                                           "Content-Transfer-Encoding",
                                                           "X-MimeOLE",
                                                           "X-MSMail-Priority",
                                                           "Disposition-Notification-To",
                                                           "Envelope-To"};

bool IsBase64(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

std::string_view View(const std::vector<uint8_t>& text, size_t from, size_t to) {
  return {reinterpret_cast<const char*>(text.data()) + from, to - from};
}

void Put(std::vector<uint8_t>& text, size_t at, std::string_view bytes) {
  std::copy(bytes.begin(), bytes.end(), text.begin() + static_cast<ptrdiff_t>(at));
}

// The first header's name, when the bytes after the lost four leave one name possible.
bool RestoreHeaderName(std::vector<uint8_t>& text) {
  const size_t line_end = std::min(text.size(), View(text, 0, text.size()).find('\n'));
  const std::string_view rest = View(text, kLost, std::max(kLost, line_end));
  std::optional<std::string_view> named;
  for (std::string_view name : kHeaderNames) {
    const std::string tail = std::string(name.substr(kLost)) + ":";
    if (rest.starts_with(tail)) {
      if (named) return false;
      named = name;
    }
  }
  if (named) {
    Put(text, 0, named->substr(0, kLost));
    return true;
  }
  if (!rest.starts_with(": ")) return false;
  // "From" before an address, "Date" before a day or a number
  const std::string_view value = rest.substr(2);
  if (value.find('@') != std::string_view::npos) {
    Put(text, 0, "From");
    return true;
  }
  if (!value.empty() && (std::isdigit(static_cast<unsigned char>(value[0])) ||
                         (value.size() > 3 && value[3] == ','))) {
    Put(text, 0, "Date");
    return true;
  }
  return false;
}

// The length of the base64 line [start, its line break), when it is one.
std::optional<size_t> Base64LineAt(const std::vector<uint8_t>& text, size_t start) {
  size_t stop = start;
  while (stop < text.size() && stop - start < kFarthestLine && IsBase64(text[stop])) ++stop;
  if (stop == text.size() || (text[stop] != '\r' && text[stop] != '\n')) return std::nullopt;
  const size_t length = stop - start;
  return length > 0 && length % 4 == 0 ? std::optional(length) : std::nullopt;
}

// The width of the base64 lines around the line starting at `line_start`: the line
// before it, else the line after the next line break behind `from`.
std::optional<size_t> Base64Width(const std::vector<uint8_t>& text, size_t line_start,
                                  size_t from) {
  if (line_start >= 2 && text[line_start - 1] == '\n') {
    size_t start = line_start - 1;
    if (text[start - 1] == '\r') --start;
    const size_t stop = start;
    while (start > 0 && stop - start < kFarthestLine && IsBase64(text[start - 1])) --start;
    if (start == 0 || text[start - 1] == '\n') {
      if (auto width = Base64LineAt(text, start)) return width;
    }
  }
  size_t next = from;
  while (next < text.size() && next - from < kFarthestLine && text[next] != '\n') ++next;
  if (next >= text.size() || text[next] != '\n') return std::nullopt;
  return Base64LineAt(text, next + 1);
}

// Inside base64 lines the four bytes become characters of a line as wide as the lines
// around it, and a line break where such a line ends; the line the spot ends in must
// then run on to a break at that width, or be the last, shorter line.
bool FillBase64(std::vector<uint8_t>& text, size_t spot) {
  size_t line_start = spot;
  while (line_start > 0 && spot - line_start < kFarthestLine && text[line_start - 1] != '\n') {
    --line_start;
  }
  if (line_start == 0 || spot - line_start >= kFarthestLine) return false;
  for (size_t i = line_start; i < spot; ++i) {
    if (!IsBase64(text[i])) return false;
  }
  const auto width = Base64Width(text, line_start, spot + kLost);
  if (!width || spot - line_start > *width) return false;
  const bool crlf = text[line_start - 1] == '\n' && line_start >= 2 && text[line_start - 2] == '\r';
  std::array<uint8_t, kLost> fill;
  size_t column = spot - line_start;
  for (uint8_t& c : fill) {
    c = 'A';
    if (column == *width) {
      c = crlf ? '\r' : '\n';
    } else if (column == *width + 1 && crlf) {
      c = '\n';
    }
    column = c == '\n' ? 0 : column + 1;
  }
  auto at = [&](size_t i) { return i - spot < kLost ? fill[i - spot] : text[i]; };
  size_t end = spot + kLost;
  if (at(end - 1) == '\r') {
    if (end < text.size() && text[end] != '\n') return false;
  } else {
    const size_t line = end - column;
    while (end < text.size() && end - line <= *width && IsBase64(at(end))) ++end;
    while (end < text.size() && end - line <= *width && at(end) == '=') ++end;
    const size_t length = end - line;
    const bool breaks = end == text.size() || text[end] == '\r' || text[end] == '\n';
    if (!breaks || length > *width || (length < *width && length % 4 != 0)) return false;
  }
  Put(text, spot, std::string_view(reinterpret_cast<const char*>(fill.data()), kLost));
  return true;
}

}  // namespace

void RepairDeletedBlocks(std::vector<uint8_t>& text, std::span<const GatheredBlock> blocks,
                         std::vector<Mend>* mends) {
  if (blocks.empty()) return;
  auto note = [&](uint64_t at, uint64_t length, MendKind kind) {
    if (mends) mends->push_back({at, length, kind});
  };
  const GatheredBlock& last = blocks.back();
  if (last.freed && last.start + last.length == text.size()) {
    size_t end = text.size();
    const size_t keep = last.start + std::min(kLost, last.length);
    while (end > keep && text[end - 1] == 0) --end;
    if (end < text.size()) note(end, text.size() - end, MendKind::kZerosCut);
    text.resize(end);
  }
  for (size_t i = 0; i < blocks.size(); ++i) {
    const GatheredBlock& block = blocks[i];
    if (!block.freed || block.start >= text.size()) continue;
    const size_t lost = std::min({kLost, block.length, text.size() - block.start});
    if (lost == kLost) {
      if (i == 0 && block.start == 0 && RestoreHeaderName(text)) {
        note(0, kLost, MendKind::kHeaderNameRestored);
        continue;
      }
      if (FillBase64(text, block.start)) {
        note(block.start, kLost, MendKind::kBase64Filled);
        continue;
      }
    }
    Put(text, block.start, kMark.substr(0, lost));
    note(block.start, lost, MendKind::kLostBytesMarked);
  }
}

}  // namespace rescuva::engine
