#include "loader/print_page.h"

#include <ctime>

#include "loader/safe_text.h"

namespace rescuva::loader {
namespace {

// The header block stands apart from whatever the message's own style sheet says.
constexpr const char* kHeaderStyle =
    "all:initial;display:block;font:13px/1.4 sans-serif;color:#000;background:#fff;"
    "border-bottom:1px solid #888;padding:0 0 6px 0;margin:0 0 12px 0";
constexpr const char* kTextStyle = "white-space:pre-wrap;font:13px/1.4 monospace;margin:0";

std::string DateText(const std::optional<int64_t>& seconds) {
  if (!seconds) return {};
  const std::time_t t = static_cast<std::time_t>(*seconds);
  std::tm utc{};
  if (!gmtime_r(&t, &utc)) return {};
  char text[48];
  return std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S UTC", &utc) ? text : "";
}

std::string Line(const char* name, const std::string& value) {
  if (value.empty()) return {};
  return std::string("<div><b>") + name + "</b> " + MarkupText(value) + "</div>";
}

std::string HeaderBlock(const PrintedHeader& header,
                        const std::vector<std::string>& attachment_names) {
  std::string block = std::string("<div style=\"") + kHeaderStyle + "\">";
  block += Line("From:", header.from) + Line("To:", header.to) + Line("Subject:", header.subject) +
           Line("Date:", DateText(header.date));
  if (!header.notice.empty()) block += "<div><i>" + MarkupText(header.notice) + "</i></div>";
  std::string names;
  for (const std::string& name : attachment_names) {
    if (name.empty()) continue;
    names += (names.empty() ? "" : ", ") + name;
  }
  block += Line("Attachments:", names);
  return block + "</div>\n";
}

std::string Page(const std::string& header_block, const std::string& body) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n" + header_block +
         body + "\n</body></html>\n";
}

std::string TextBody(std::string_view text) {
  return std::string("<pre style=\"") + kTextStyle + "\">" + MarkupText(std::string(text), true) +
         "</pre>";
}

}  // namespace

std::string PrintArchive(const LoadedMessage& message, const PrintedHeader& header) {
  const std::string block = HeaderBlock(header, message.attachment_names);
  // the message's own HTML follows the block; its head and body tags join the page's
  if (!message.html_body.empty()) {
    return MhtmlArchive(Page(block, message.html_body), "utf-8", message.related_parts);
  }
  return MhtmlArchive(Page(block, TextBody(message.text_body)), "utf-8", {});
}

std::string PrintTextArchive(std::string_view text, const PrintedHeader& header) {
  return MhtmlArchive(Page(HeaderBlock(header, {}), TextBody(text)), "utf-8", {});
}

}  // namespace rescuva::loader
