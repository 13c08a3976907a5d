// rescuva-listing-bench FILE CLI [BASELINE_CLI]: lists a whole folder file with
// rescuva-cli (engine, loader and catalogue) three times and reports the median run's
// messages per second and the peak memory, beside the baseline of reading the same
// file once from start to end; with a second rescuva-cli (an earlier build), the two
// take turns and both are reported.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/cli_run.h"

namespace {

using rescuva::bench::CliRun;

void Report(const char* name, std::vector<CliRun>& runs) {
  std::sort(runs.begin(), runs.end(),
            [](const CliRun& a, const CliRun& b) { return a.seconds < b.seconds; });
  const CliRun& median = runs[1];
  std::printf("== %s\n", name);
  std::printf("rescuva-cli listing %.2f s (median of 3: %.2f, %.2f, %.2f), exit %d\n",
              median.seconds, runs[0].seconds, runs[1].seconds, runs[2].seconds,
              WEXITSTATUS(median.status));
  std::printf("processor time      %.2f s user, %.2f s system\n",
              rescuva::bench::Seconds(median.usage.ru_utime),
              rescuva::bench::Seconds(median.usage.ru_stime));
  std::printf("messages listed     %lu\n", median.messages);
  std::printf("messages per second %.0f\n", static_cast<double>(median.messages) / median.seconds);
  std::printf("peak memory         %.1f MB\n",
              static_cast<double>(median.usage.ru_maxrss) / 1024.0);
  std::printf("of which its own    %.1f MB (the rest: the source's pages, mapped)\n",
              static_cast<double>(median.peak_private_bytes) / 1e6);
  std::printf("peak scratch use    %.1f MB\n",
              static_cast<double>(median.peak_scratch_bytes) / 1e6);
  std::printf("%s", median.timings.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: rescuva-listing-bench FOLDER_FILE RESCUVA_CLI [BASELINE_CLI]\n");
    return 2;
  }
  const auto read_start = std::chrono::steady_clock::now();
  int fd = ::open(argv[1], O_RDONLY);
  if (fd < 0) return 1;
  std::vector<char> chunk(1 << 20);
  uint64_t size = 0;
  for (ssize_t n; (n = ::read(fd, chunk.data(), chunk.size())) > 0;)
    size += static_cast<uint64_t>(n);
  ::close(fd);
  const double read_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - read_start).count();

  std::string temp = std::filesystem::temp_directory_path() / "rescuva-bench-XXXXXX";
  if (::mkdtemp(temp.data()) == nullptr) return 1;
  std::vector<CliRun> runs, baseline;
  for (int i = 0; i < 3; ++i) {
    runs.push_back(rescuva::bench::RunCli(argv[2], argv[1], temp));
    if (argc == 4) baseline.push_back(rescuva::bench::RunCli(argv[3], argv[1], temp));
  }
  std::filesystem::remove_all(temp);
  std::printf("folder file         %.1f MB\n", static_cast<double>(size) / 1e6);
  std::printf("baseline: read once %.2f s\n", read_seconds);
  Report(argv[2], runs);
  if (argc == 4) Report(argv[3], baseline);
  return WEXITSTATUS(runs[1].status);
}
