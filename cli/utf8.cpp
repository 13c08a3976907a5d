#include "cli/utf8.h"

namespace rescuva::cli {

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

}  // namespace rescuva::cli
