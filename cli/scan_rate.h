// What the progress bar says of a long scan: how much of the source has been read, how
// fast, and how long the rest will take.
#pragma once

#include <cstdint>
#include <string>

namespace rescuva::cli {

// Sources smaller than this scan too fast for a rate to mean anything.
inline constexpr uint64_t kRatedScanBytes = uint64_t{64} << 20;

// "1.2 GiB of 4.0 GiB, 350 MiB/s, 9 s left"; empty for a small source or before the
// first second.
std::string ScanRateText(uint64_t done, uint64_t total, double seconds);
// "512 B", "3.0 KiB", "1.2 GiB": one decimal from KiB on.
std::string SizeText(uint64_t bytes);

}  // namespace rescuva::cli
