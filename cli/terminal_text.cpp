#include "cli/terminal_text.h"

#include <cstdio>

#include "loader/safe_text.h"

namespace rescuva::cli {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  char escape[5];
  std::snprintf(escape, sizeof escape, "\\x%02x", byte);
  out += escape;
}

}  // namespace

std::string EscapeControls(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t n = loader::Utf8Length(text, i);
    const bool c1 = n == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if (n == 0 || byte < 0x20 || byte == 0x7F || c1) {
      for (size_t k = 0; k < (n == 0 ? 1 : n); ++k) {
        AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
      }
      i += n == 0 ? 1 : n;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

}  // namespace rescuva::cli
