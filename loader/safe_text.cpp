#include "loader/safe_text.h"

namespace rescuva::loader {

size_t Utf8Length(std::string_view s, size_t i) {
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

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const size_t n = Utf8Length(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string PlainText(const std::string& text, bool lines) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = Utf8Length(text, i);
    const auto c = static_cast<unsigned char>(text[i]);
    if (lines && c == '\r') {  // CR LF and a lone CR each end one line
      if (i + 1 >= text.size() || text[i + 1] != '\n') out += '\n';
      ++i;
      continue;
    }
    // C1 controls are two bytes: U+0080 ... U+009F
    const bool kept = lines && n == 1 && (c == '\n' || c == '\t');
    const bool control = n == 0 || (n == 1 && !kept && (c < 0x20 || c == 0x7F)) ||
                         (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0);
    if (control) {
      out += kReplacement;
    } else {
      out.append(text, i, n);
    }
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::string MarkupText(const std::string& text, bool lines) {
  std::string out;
  for (char c : PlainText(text, lines)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace rescuva::loader
