#include "cli/scan_rate.h"

#include <cinttypes>
#include <cstdio>

namespace rescuva::cli {

std::string SizeText(uint64_t bytes) {
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes) / 1024;
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) value /= 1024, ++unit;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

namespace {

std::string DurationText(uint64_t seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%" PRIu64 " h %02" PRIu64 " min", seconds / 3600,
                  seconds / 60 % 60);
  } else if (seconds >= 60) {
    std::snprintf(text, sizeof text, "%" PRIu64 " min %02" PRIu64 " s", seconds / 60, seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%" PRIu64 " s", seconds);
  }
  return text;
}

}  // namespace

std::string ScanRateText(uint64_t done, uint64_t total, double seconds) {
  if (total < kRatedScanBytes || seconds < 1 || done == 0 || done > total) return {};
  const double rate = static_cast<double>(done) / seconds;
  const auto left = static_cast<uint64_t>(static_cast<double>(total - done) / rate + 0.5);
  return SizeText(done) + " of " + SizeText(total) + ", " + SizeText(static_cast<uint64_t>(rate)) +
         "/s, " + DurationText(left) + " left";
}

}  // namespace rescuva::cli
