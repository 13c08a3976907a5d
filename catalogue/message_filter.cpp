#include "catalogue/message_filter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "loader/message_loader.h"

namespace rescuva::catalogue {
namespace {

// ASCII letters compare without case; other bytes as they are.
bool ContainsFolded(std::string_view text, std::string_view wanted) {
  auto fold = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  return std::search(text.begin(), text.end(), wanted.begin(), wanted.end(),
                     [&](char a, char b) { return fold(a) == fold(b); }) != text.end();
}

}  // namespace

bool MessageFilter::Matches(const CatalogueRow& row, std::span<const char> bytes) const {
  if (since || until) {
    const std::optional<int64_t> date =
        row.info.sent_time ? row.info.sent_time : row.info.received_time;
    if (!date || (since && *date < *since) || (until && *date > *until)) return false;
  }
  if (match.empty()) return true;
  return ContainsFolded(row.from, match) || ContainsFolded(row.to, match) ||
         ContainsFolded(row.subject, match) || TextMatches(bytes);
}

bool MessageFilter::TextMatches(std::span<const char> bytes) const {
  if (ContainsFolded(std::string_view(bytes.data(), bytes.size()), match)) return true;
  const auto message = loader::LoadMessage(bytes);
  return message &&
         (ContainsFolded(message->text_body, match) || ContainsFolded(message->html_body, match));
}

std::optional<int64_t> ParseDay(const std::string& text, bool end_of_day) {
  std::tm day{};
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &day.tm_year, &day.tm_mon, &day.tm_mday,
                  &consumed) != 3) {
    return std::nullopt;
  }
  const std::string rest = text.substr(static_cast<size_t>(consumed));
  if (!rest.empty() &&
      (rest.size() != 10 || rest[0] != 'T' || rest.back() != 'Z' ||
       std::sscanf(rest.c_str(), "T%2d:%2d:%2dZ", &day.tm_hour, &day.tm_min, &day.tm_sec) != 3)) {
    return std::nullopt;
  }
  if (day.tm_mon < 1 || day.tm_mon > 12 || day.tm_mday < 1 || day.tm_mday > 31 ||
      day.tm_hour > 23 || day.tm_min > 59 || day.tm_sec > 60) {
    return std::nullopt;
  }
  day.tm_year -= 1900;
  day.tm_mon -= 1;
  const int64_t seconds = timegm(&day);
  return rest.empty() && end_of_day ? seconds + 86399 : seconds;
}

}  // namespace rescuva::catalogue
