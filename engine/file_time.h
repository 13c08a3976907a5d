// Windows FILETIME values (100 ns since 1601-01-01 UTC), as message-info records
// store times, to and from seconds since 1970-01-01 UTC.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

namespace rescuva::engine {

inline constexpr int64_t kFileTimeEpochOffset = 11644473600;  // seconds from 1601 to 1970

inline uint64_t ToFileTime(int64_t unix_seconds) {
  return static_cast<uint64_t>(std::max<int64_t>(unix_seconds + kFileTimeEpochOffset, 0)) *
         10000000u;
}

// Nothing for 0, which records use for a time never set.
inline std::optional<int64_t> FromFileTime(uint64_t filetime) {
  if (filetime == 0) return std::nullopt;
  return static_cast<int64_t>(filetime / 10000000u) - kFileTimeEpochOffset;
}

}  // namespace rescuva::engine
