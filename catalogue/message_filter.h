// Which listed messages a user wants before anything is saved: those dated within a
// range (the Date header, else the received time) and those holding a text in From,
// To, Subject or the message itself, any case.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "catalogue/message_catalogue.h"

namespace rescuva::catalogue {

// A listed message by its store folder (-1 for a single file) and offset.
using MessageKey = std::pair<int, uint64_t>;

struct MessageFilter {
  std::optional<int64_t> since;  // seconds since 1970 UTC, inclusive
  std::optional<int64_t> until;  // inclusive
  std::string match;             // UTF-8; empty matches everything

  bool Active() const { return since || until || !match.empty(); }
  // A message without a date is outside any range.
  bool Matches(const CatalogueRow& row, std::span<const char> bytes) const;
  // Whether the message's text holds `match`: its bytes as stored, else its bodies with
  // their transfer encoding undone.
  bool TextMatches(std::span<const char> bytes) const;
};

// "2004-02-10" (the day's first second, or with `end_of_day` its last) or
// "2004-02-10T19:26:59Z"; nothing for anything else.
std::optional<int64_t> ParseDay(const std::string& text, bool end_of_day);

}  // namespace rescuva::catalogue
