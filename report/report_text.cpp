#include "report/report_text.h"

#include <ctime>

namespace rescuva::report {

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

std::string PlainText(const std::string& text) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = Utf8Length(text, i);
    const auto c = static_cast<unsigned char>(text[i]);
    // C1 controls are two bytes: U+0080 ... U+009F
    const bool control = n == 0 || (n == 1 && (c < 0x20 || c == 0x7F)) ||
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

std::string CommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& arg : arguments) {
    const bool plain = !arg.empty() && arg.find_first_not_of(
                                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "0123456789-_./=+:,@%") == std::string::npos;
    if (!line.empty()) line += ' ';
    if (plain) {
      line += arg;
      continue;
    }
    line += '\'';
    for (char c : arg) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += '\'';
  }
  return line;
}

std::string IsoTime(const std::optional<int64_t>& seconds) {
  if (!seconds) return "";
  const auto t = static_cast<std::time_t>(*seconds);
  std::tm utc{};
  if (!gmtime_r(&t, &utc)) return "";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace rescuva::report
