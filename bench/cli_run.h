// One run of rescuva-cli on a folder file for the benchmarks: its time, the messages
// it listed, its stage times, its processor time and peak memory, and the most its
// private memory and its scratch files took at any moment.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <string>

namespace rescuva::bench {

struct CliRun {
  double seconds = 0;
  unsigned long messages = 0;
  std::string timings;  // what --timings printed
  int status = 0;
  struct rusage usage {};
  uint64_t peak_scratch_bytes = 0;
  // Resident memory of its own, sampled: the peak above also counts the pages of the
  // source it maps, which are the page cache's.
  uint64_t peak_private_bytes = 0;
};

// Runs `cli --quiet --timings FILE` with TMPDIR set to a fresh folder inside
// `temp_parent`, whose contents are measured every few milliseconds while it runs and
// which is removed afterwards.
CliRun RunCli(const std::string& cli, const std::string& folder_file,
              const std::string& temp_parent);

double Seconds(const struct timeval& time);

}  // namespace rescuva::bench
