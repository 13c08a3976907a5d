#include "msgbox/markup_text.h"

#include <cctype>
#include <utility>

namespace rescuva::msgbox {
namespace {

constexpr std::pair<const char*, const char*> kEntities[] = {
    {"&amp;", "&"},        {"&bull;", "\u2022"},   {"&copy;", "\u00A9"}, {"&euro;", "\u20AC"},
    {"&gt;", ">"},         {"&iquest;", "\u00BF"}, {"&lt;", "<<"},       {"&nbsp;", " "},
    {"&para;", "\u00B6"},  {"&pound;", "\u00A3"},  {"&quot;", "\""},     {"&reg;", "\u00AE"},
    {"&trade;", "\u2122"},
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

std::string PreprocessMarkup(const std::string& text, bool line_feeds) {
  std::string out = text;
  for (const auto& [entity, replacement] : kEntities) ReplaceAll(out, entity, replacement);
  ReplaceAll(out, "\r", "");
  ReplaceAll(out, "\n", line_feeds ? "<br>" : "");
  ReplaceAll(out, "\t", line_feeds ? "<t>" : "");
  return out;
}

std::optional<MarkupToken> NextToken(const std::string& text, size_t& at) {
  if (at >= text.size()) return std::nullopt;
  MarkupToken token;
  if (text[at] != '<' || (at + 1 < text.size() && text[at + 1] == '<')) {
    while (at < text.size()) {
      if (text[at] == '<') {
        if (at + 1 < text.size() && text[at + 1] == '<') {
          token.text += '<';  // "<<" is a literal "<"
          at += 2;
          continue;
        }
        break;
      }
      token.text += text[at++];
    }
    return token;
  }
  token.is_tag = true;
  const size_t close = text.find('>', at + 1);
  if (close == std::string::npos) {
    at = text.size();  // a tag without its ">" is empty
    return token;
  }
  const std::string content = text.substr(at + 1, close - at - 1);
  at = close + 1;
  const size_t name_end = content.find_first_of(" =");
  token.name = content.substr(0, name_end);
  if (name_end != std::string::npos) token.rest = content.substr(name_end);
  return token;
}

std::map<std::string, std::string> ParseAttributes(const std::string& rest) {
  std::map<std::string, std::string> attributes;
  size_t at = 0;
  auto starts_name = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.'; };
  while (at < rest.size()) {
    while (at < rest.size() && !starts_name(rest[at])) ++at;
    if (at >= rest.size()) break;
    const size_t name_end = std::min(rest.find_first_of(" =", at), rest.size());
    const std::string name = rest.substr(at, name_end - at);
    at = name_end;
    while (at < rest.size() && rest[at] == ' ') ++at;
    std::string value;
    if (at < rest.size() && rest[at] == '=') {
      ++at;
      while (at < rest.size() && rest[at] == ' ') ++at;
      if (at < rest.size() && (rest[at] == '"' || rest[at] == '\'')) {
        const size_t end = std::min(rest.find(rest[at], at + 1), rest.size());
        value = rest.substr(at + 1, end - at - 1);
        at = end + 1;
      } else {
        const size_t end = std::min(rest.find(' ', at), rest.size());
        value = rest.substr(at, end - at);
        at = end;
      }
    }
    attributes[name] = value;
  }
  return attributes;
}

size_t FindTag(const std::string& text, const std::string& name, size_t from) {
  const std::string pattern = "<" + name;
  for (size_t at = text.find(pattern, from); at != std::string::npos;
       at = text.find(pattern, at + 1)) {
    if (at == 0 || text[at - 1] != '<') return at;
  }
  return std::string::npos;
}

size_t FindMatchingEnd(const std::string& text, const std::string& name, size_t open) {
  int depth = 1;
  size_t at = open + 1;
  while (depth > 0) {
    const size_t next_open = FindTag(text, name, at);
    const size_t next_close = FindTag(text, "/" + name, at);
    if (next_close == std::string::npos) return text.size();
    if (next_open != std::string::npos && next_open < next_close) {
      ++depth;
      at = next_open + 1;
    } else {
      --depth;
      at = next_close + 1;
    }
  }
  const size_t end = text.find('>', at);
  return end == std::string::npos ? text.size() : end + 1;
}

}  // namespace rescuva::msgbox
