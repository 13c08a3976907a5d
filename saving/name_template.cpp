#include "saving/name_template.h"

#include <algorithm>
#include <array>
#include <ctime>

namespace rescuva::saving {
namespace {

constexpr std::array<const char*, 8> kFields = {"date",   "from",   "to",     "subject",
                                                "offset", "folder", "status", "message-id"};

std::string DateText(const std::optional<int64_t>& seconds, const std::string& form) {
  if (!seconds) return "undated";
  const auto t = static_cast<std::time_t>(*seconds);
  std::tm utc{};
  if (!gmtime_r(&t, &utc)) return "undated";
  char text[128];
  const size_t n = std::strftime(text, sizeof text, form.empty() ? "%Y-%m-%d" : form.c_str(), &utc);
  return std::string(text, n);
}

}  // namespace

std::optional<NameTemplate> NameTemplate::Parse(const std::string& text, std::string& error) {
  NameTemplate parsed;
  for (size_t at = 0; at < text.size();) {
    const size_t open = text.find('{', at);
    if (open != at) {
      parsed.pieces_.push_back({text.substr(at, open - at), "", ""});
      if (open == std::string::npos) break;
    }
    const size_t close = text.find('}', open);
    if (close == std::string::npos) {
      error = "a brace is left open in the name template";
      return std::nullopt;
    }
    const std::string inside = text.substr(open + 1, close - open - 1);
    const size_t colon = inside.find(':');
    Piece piece{"", inside.substr(0, colon),
                colon == std::string::npos ? "" : inside.substr(colon + 1)};
    if (std::find(kFields.begin(), kFields.end(), piece.field) == kFields.end() ||
        (!piece.form.empty() && piece.field != "date")) {
      error = "unknown field {" + inside + "} in the name template";
      return std::nullopt;
    }
    parsed.pieces_.push_back(std::move(piece));
    at = close + 1;
  }
  return parsed;
}

std::string NameTemplate::Expand(const NameFields& fields) const {
  std::string name;
  for (const Piece& piece : pieces_) {
    if (piece.field.empty()) {
      name += piece.text;
    } else if (piece.field == "date") {
      name += DateText(fields.date, piece.form);
    } else if (piece.field == "from") {
      name += fields.from;
    } else if (piece.field == "to") {
      name += fields.to;
    } else if (piece.field == "subject") {
      name += fields.subject;
    } else if (piece.field == "offset") {
      name += std::to_string(fields.offset);
    } else if (piece.field == "folder") {
      name += fields.folder;
    } else if (piece.field == "status") {
      name += fields.status;
    } else {
      name += fields.message_id;
    }
  }
  return name;
}

}  // namespace rescuva::saving
