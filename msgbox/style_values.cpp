#include "msgbox/style_values.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace rescuva::msgbox {
namespace {

constexpr int32_t kFontSizeSteps[] = {8, 10, 12, 14, 18, 24, 36};

}  // namespace

std::optional<long long> ParseCInteger(const std::string& text) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(start, &end, 0);
  if (end == start || errno == ERANGE) return std::nullopt;
  return value;
}

int32_t LeadingInteger(const std::string& text) {
  return std::atoi(text.c_str());
}

int32_t ParseLength(const std::string& value, int32_t current, bool font_size,
                    const ValueContext& context) {
  if (value.empty()) return current;
  if (value.back() == '%') {
    return static_cast<int32_t>(std::lround(current * LeadingInteger(value) / 100.0));
  }
  const std::string text = value[0] == '+' || value[0] == '-' ? value.substr(1) : value;
  const int32_t n = LeadingInteger(text);
  const int ppi = context.pixels_per_inch;
  const std::string unit = text.size() >= 2 ? text.substr(text.size() - 2) : "";
  if (unit == "px") return n;
  if (unit == "ex") return n * context.x_height;
  if (unit == "em") return n * context.font_height;
  if (unit == "in") return n * ppi;
  if (unit == "cm") return static_cast<int32_t>(n * ppi * 0.39370078740157477);
  if (unit == "mm") return static_cast<int32_t>(n * ppi * 0.03937007874015748);
  if (unit == "pt") return n * ppi / 72;
  if (unit == "pc") return n * ppi / 6;
  const auto number = ParseCInteger(text);
  if (!number) return current;
  if (font_size && *number >= 1 && *number <= 7) return kFontSizeSteps[*number - 1];
  return static_cast<int32_t>(*number);
}

ColourRef ParseColour(const std::string& value, ColourRef current, const ValueContext& context) {
  if (value.empty()) return current;
  if (!context.enabled) return context.disabled_colour;
  if (value[0] == '#') {
    if (value.size() != 7) return current;
    for (size_t i = 1; i < 7; ++i) {
      if (!std::isxdigit(static_cast<unsigned char>(value[i]))) return current;
    }
    const auto rgb = static_cast<uint32_t>(std::strtoul(value.c_str() + 1, nullptr, 16));
    return Rgb(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
               static_cast<uint8_t>(rgb));
  }
  if (std::isdigit(static_cast<unsigned char>(value[0]))) {
    const auto number = ParseCInteger(value);
    return number ? static_cast<ColourRef>(*number) : current;
  }
  if (!context.colours) return current;
  return context.colours->Find(value).value_or(current);
}

}  // namespace rescuva::msgbox
