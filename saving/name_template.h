// Names for saved files from a template the user gives:
// "{date:%Y-%m-%d}_{from}_{subject}". Fields: date (with an optional strftime form,
// UTC), from, to, subject, offset, folder, status, message-id; other text stays as it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rescuva::saving {

// What a message gives a name.
struct NameFields {
  std::optional<int64_t> date;  // seconds since 1970 UTC
  std::string from;
  std::string to;
  std::string subject;
  uint64_t offset = 0;
  std::string folder;
  std::string status;
  std::string message_id;
};

class NameTemplate {
 public:
  // Nothing, with `error` set, for an unknown field or a brace left open.
  static std::optional<NameTemplate> Parse(const std::string& text, std::string& error);
  // The name before it is made safe.
  std::string Expand(const NameFields& fields) const;

 private:
  struct Piece {
    std::string text;  // taken as it is when `field` is empty
    std::string field;
    std::string form;  // a date's strftime form
  };
  std::vector<Piece> pieces_;
};

}  // namespace rescuva::saving
