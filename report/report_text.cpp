#include "report/report_text.h"

#include <ctime>

namespace rescuva::report {

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
