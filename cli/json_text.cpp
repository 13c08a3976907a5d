#include "cli/json_text.h"

#include <cstdio>

namespace rescuva::cli {
namespace {

// Length of the valid UTF-8 sequence at `i`, or 0.
size_t Utf8Length(const std::string& s, size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  const size_t n = lead < 0x80           ? 1
                   : (lead >> 5) == 0x6  ? 2
                   : (lead >> 4) == 0xE  ? 3
                   : (lead >> 3) == 0x1E ? 4
                                         : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  }
  return n;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t n = Utf8Length(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out.append(text, i, n);
    }
    i += n;
  }
  return out + "\"";
}

}  // namespace rescuva::cli
